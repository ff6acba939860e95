#pragma once
// Picture files made byte by byte (JPEG with its Exif and ICC profile segments, GIF, BMP), and a
// file in memory to read them from, for the tests of what the loader reads before decoding.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "toolkit/picture_header.h"

namespace qm::test_files {

using Bytes = std::vector<uint8_t>;

inline Bytes operator+(Bytes left, const Bytes& right) {
  left.insert(left.end(), right.begin(), right.end());
  return left;
}
inline Bytes le(uint64_t value, int count) {
  Bytes out;
  for (int i = 0; i < count; ++i) out.push_back(static_cast<uint8_t>(value >> 8 * i));
  return out;
}
inline Bytes be(uint64_t value, int count) {
  const Bytes reversed = le(value, count);
  return Bytes(reversed.rbegin(), reversed.rend());
}
inline Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }
inline Bytes cut(Bytes bytes, size_t length) {
  bytes.resize(length);
  return bytes;
}
// bytes with those from at on replaced by with.
inline Bytes patched(Bytes bytes, size_t at, const Bytes& with) {
  std::copy(with.begin(), with.end(), bytes.begin() + std::ptrdiff_t(at));
  return bytes;
}

constexpr auto kBmp = PictureFormat::kBmp, kJpeg = PictureFormat::kJpeg, kGif = PictureFormat::kGif;

// A file in memory that records how much of it was read, and whether a read passed its end.
struct MemoryFile : ByteSource {
  explicit MemoryFile(Bytes file) : bytes(std::move(file)) {}
  uint64_t size() const override { return bytes.size(); }
  bool read(uint64_t offset, size_t length, uint8_t* out) override {
    overreached |= offset > bytes.size() || length > bytes.size() - offset;
    if (overreached) return false;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), length, out);
    furthest = std::max<uint64_t>(furthest, offset + length);
    bytesRead += length;
    return true;
  }
  const Bytes bytes;
  bool overreached = false;
  uint64_t furthest = 0, bytesRead = 0;
};

// ---- JPEG: the judge reads no tables; a flat picture's data is taken as two bits a block.
inline Bytes jpegSegment(uint8_t marker, const Bytes& payload) {
  return Bytes{0xFF, marker} + be(payload.size() + 2, 2) + payload;
}
inline Bytes jpegFrame(uint16_t width, uint16_t height, int components = 1, uint8_t code = 0xC0) {
  return jpegSegment(code, Bytes{8} + be(height, 2) + be(width, 2) +
                               (components == 3 ? Bytes{3, 1, 0x22, 0, 2, 0x11, 0, 3, 0x11, 0}
                                                : Bytes{1, 1, 0x11, 0}));
}
inline size_t jpegFlatBytes(uint64_t width, uint64_t height, int components = 1) {
  const uint64_t side = components == 3 ? 16 : 8, blocks = components == 3 ? 6 : 1;
  return ((width + side - 1) / side * ((height + side - 1) / side) * blocks * 2 + 7) / 8;
}
inline const Bytes kJpegStart{0xFF, 0xD8};
inline const Bytes kJfif = jpegSegment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
inline Bytes jpegScan(int components = 1) {
  return jpegSegment(
      0xDA, components == 3 ? Bytes{3, 1, 0, 2, 0, 3, 0, 0, 63, 0} : Bytes{1, 1, 0, 0, 63, 0});
}
inline Bytes jpegFile(uint16_t width, uint16_t height, int components = 1,
                      size_t dataBytes = SIZE_MAX) {
  if (dataBytes == SIZE_MAX) dataBytes = jpegFlatBytes(width, height, components);
  return kJpegStart + kJfif + jpegFrame(width, height, components) + jpegSegment(0xC4, Bytes(29)) +
         jpegSegment(0xE2, {}) + jpegScan(components) + Bytes(dataBytes, 0) + Bytes{0xFF, 0xD9};
}
// jpeg with segments inserted right after its start marker, in their order.
inline Bytes withSegments(Bytes jpeg, const std::vector<Bytes>& segments) {
  for (auto s = segments.rbegin(); s != segments.rend(); ++s)
    jpeg.insert(jpeg.begin() + 2, s->begin(), s->end());
  return jpeg;
}

// ---- Exif: the APP1 payload "Exif\0\0" and a TIFF structure, as cameras write it.
// IFD0 holds a text tag and the orientation. Offsets in the block: 6 byte order, 10 where IFD0
// is, 14 its count of entries, 28 the orientation entry (30 type, 32 count, 36 value), 40 the
// link to the next IFD, 44 the end.
inline Bytes exifWithOrientation(uint8_t value, bool bigEndian = false) {
  const auto n = bigEndian ? be : le;
  return Bytes{'E', 'x', 'i', 'f', 0, 0} + text(bigEndian ? "MM" : "II") + n(42, 2) + n(8, 4) +
         n(2, 2) + n(0x010F, 2) + n(2, 2) + n(4, 4) + n(0, 4) + n(0x0112, 2) + n(3, 2) + n(1, 4) +
         n(value, 2) + n(0, 2) + n(0, 4);
}

// An Exif block saying ColorSpace and the interoperability index: IFD0 at 8 links the Exif IFD
// at 26, which links the interoperability IFD at 56 (offsets in the TIFF structure, at 6).
inline Bytes exifColourSpace(uint16_t colourSpace, const char (&index)[4]) {
  return Bytes{'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0} + le(8, 4) + le(1, 2) + le(0x8769, 2) +
         le(4, 2) + le(1, 4) + le(26, 4) + le(0, 4) + le(2, 2) + le(0xA001, 2) + le(3, 2) +
         le(1, 4) + le(colourSpace, 4) + le(0xA005, 2) + le(4, 2) + le(1, 4) + le(56, 4) +
         le(0, 4) + le(1, 2) + le(1, 2) + le(2, 2) + le(4, 4) + Bytes(index, index + 4) + le(0, 4);
}

// ---- ICC profiles: matrix and curves, or grey.
inline Bytes s15Fixed16(double value) { return be(std::lround(value * 65536), 4); }
// A 'curv' tag: no entries is the identity, one a gamma in 8.8 fixed point, more a table.
inline Bytes curv(const std::vector<uint16_t>& table) {
  Bytes out = text("curv") + be(0, 4) + be(table.size(), 4);
  for (uint16_t entry : table) out = out + be(entry, 2);
  return out;
}
// A 'para' tag: parameters g, a, b, c, d, e, f, as many as the kind (0 to 4) takes.
inline Bytes para(uint16_t kind, const std::vector<double>& parameters) {
  Bytes out = text("para") + be(0, 4) + be(kind, 2) + be(0, 2);
  for (double p : parameters) out = out + s15Fixed16(p);
  return out;
}
inline const Bytes kSrgbCurve = para(3, {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045});

using IccTag = std::pair<std::string, Bytes>;  // its signature, its data
// A profile of a device class 'mntr' in space ("RGB " or "GRAY"), connection space XYZ, with
// its tags' data in their order, each on 4 bytes.
inline Bytes iccProfile(const std::string& space, const std::vector<IccTag>& tags,
                        uint8_t version = 4) {
  Bytes table = be(tags.size(), 4), data;
  const size_t start = 128 + 4 + 12 * tags.size();
  for (const auto& [signature, bytes] : tags) {
    table = table + text(signature) + be(start + data.size(), 4) + be(bytes.size(), 4);
    data = data + bytes;
    data.resize((data.size() + 3) / 4 * 4, 0);
  }
  const Bytes header = be(start + data.size(), 4) + text("none") + Bytes{version, 0x20, 0, 0} +
                       text("mntr") + text(space) + text("XYZ ") + Bytes(12, 0) + text("acsp");
  return cut(header, 128) + table + data;
}

// The colourants of red, green and blue, each as D50 XYZ.
using Colourants = std::array<double, 9>;
inline const Colourants kSrgbColourants = {0.4358587, 0.2223801, 0.0139231, 0.3853236, 0.7170343,
                                           0.0971334, 0.1430177, 0.0605856, 0.7138436};
// Display P3's: P3's colourants under D65 adapted to D50.
inline const Colourants kP3Colourants = {0.515121, 0.241180, -0.001053, 0.291977, 0.692245,
                                         0.041885, 0.157104, 0.066574,  0.784073};
inline Bytes xyzTag(const double* xyz) {
  return text("XYZ ") + be(0, 4) + s15Fixed16(xyz[0]) + s15Fixed16(xyz[1]) + s15Fixed16(xyz[2]);
}
// A matrix/TRC profile's tags: rXYZ, gXYZ, bXYZ, then rTRC, gTRC, bTRC (one curve: all three).
inline std::vector<IccTag> matrixTags(const Colourants& xyz, const std::vector<Bytes>& curves) {
  auto curve = [&](size_t i) { return curves[curves.size() == 1 ? 0 : i]; };
  return {{"rXYZ", xyzTag(&xyz[0])}, {"gXYZ", xyzTag(&xyz[3])}, {"bXYZ", xyzTag(&xyz[6])},
          {"rTRC", curve(0)},        {"gTRC", curve(1)},        {"bTRC", curve(2)}};
}
inline Bytes matrixProfile(const Colourants& xyz, const std::vector<Bytes>& curves,
                           uint8_t version = 4) {
  return iccProfile("RGB ", matrixTags(xyz, curves), version);
}
inline Bytes displayP3() { return matrixProfile(kP3Colourants, {kSrgbCurve}); }

// An APP2 "ICC_PROFILE" chunk: its number of count, and its piece of the profile.
inline Bytes iccChunk(uint8_t number, uint8_t count, const Bytes& piece) {
  return jpegSegment(0xE2, text("ICC_PROFILE") + Bytes{0, number, count} + piece);
}
// The profile cut into count chunks in their order, at most 65519 bytes each as in files.
inline std::vector<Bytes> iccChunks(const Bytes& profile, size_t count) {
  std::vector<Bytes> chunks;
  const auto piece = std::ptrdiff_t((profile.size() + count - 1) / count);
  for (auto from = profile.begin(), to = from; chunks.size() < count; from = to) {
    to = from + std::min(piece, profile.end() - from);
    chunks.push_back(iccChunk(uint8_t(chunks.size() + 1), uint8_t(count), Bytes(from, to)));
  }
  return chunks;
}

// ---- GIF: four colours, 0 red, 1 green, 2 blue, 3 white.
// LZW data of pixels of one index: entries are runs of 2, 3, ..., so the longest is next - 5.
inline Bytes gifSolidLzw(size_t pixels, uint8_t index) {
  Bytes out;
  uint32_t pending = 0, bits = 0, width = 3, next = 6;
  auto put = [&](uint32_t code) {
    for (pending |= code << bits, bits += width; bits >= 8; bits -= 8, pending >>= 8)
      out.push_back(static_cast<uint8_t>(pending));
  };
  put(4);
  for (size_t run; pixels > 0; pixels -= run) {
    run = std::min<size_t>(pixels, next - 5);
    put(run == 1 ? index : static_cast<uint32_t>(run + 4));
    if (run == pixels) break;
    if (next == 4096) {
      put(4);
      width = 3;
      next = 6;
    } else if (next++ == (1u << width)) {
      ++width;
    }
  }
  // The decoder adds an entry on the last code and may widen its codes before the end code.
  if (next == (1u << width) && width < 12) ++width;
  put(5);
  if (bits > 0) out.push_back(static_cast<uint8_t>(pending));
  return out;
}
inline Bytes gifSubBlocks(const Bytes& data) {
  Bytes out;
  for (size_t at = 0, length; at < data.size(); at += length) {
    out.push_back(static_cast<uint8_t>(length = std::min<size_t>(255, data.size() - at)));
    out.insert(out.end(), data.data() + at, data.data() + at + length);
  }
  return out + Bytes{0};
}
inline Bytes gifExtension(uint8_t label, const Bytes& data) {
  return Bytes{0x21, label} + gifSubBlocks(data);
}
inline Bytes gifImage(uint16_t width, uint16_t height, const Bytes& lzw, uint8_t codeSize = 2) {
  return Bytes{0x2C, 0, 0, 0, 0} + le(width, 2) + le(height, 2) + Bytes{0, codeSize} +
         gifSubBlocks(lzw);
}
inline Bytes gifSolid(uint16_t width, uint16_t height, uint8_t index) {
  return gifImage(width, height, gifSolidLzw(size_t{width} * height, index));
}
// A GIF whose screen is of that size, with the four colours above as its palette or none at all.
inline Bytes gifFile(uint16_t width, uint16_t height, const Bytes& blocks, bool palette = true) {
  return Bytes{'G', 'I', 'F', '8', '9', 'a'} + le(width, 2) + le(height, 2) +
         (palette ? Bytes{0x81, 0, 0, 220, 0, 0, 0, 200, 0, 0, 0, 230, 255, 255, 255}
                  : Bytes{0x70, 0, 0}) +
         blocks + Bytes{0x3B};
}
// ---- BMP: an info header of size bytes; 12 is the core header, with 16-bit sizes.
enum : uint32_t { kBmpRgb, kBmpRle8, kBmpRle4, kBmpBitfields };
inline Bytes bmpInfo(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression = 0,
                     uint32_t size = 40) {
  const int sizeBytes = size == 12 ? 2 : 4;
  return cut(le(size, 4) + le(width, sizeBytes) + le(height, sizeBytes) + le(1, 2) +
                 le(bitCount, 2) + le(compression, 4),
             size);
}
inline Bytes bmpFile(const Bytes& info, const Bytes& palette, const Bytes& pixels) {
  const size_t offset = 14 + info.size() + palette.size();
  return Bytes{'B', 'M'} + le(offset + pixels.size(), 4) + le(0, 4) + le(offset, 4) + info +
         palette + pixels;
}
// Run-length coded rows of one index, each ended by an end of line, then an end of picture.
inline Bytes bmpRle8Rows(uint32_t width, uint32_t rows, uint8_t index) {
  Bytes row, out;
  for (uint32_t left = width, run; left > 0; left -= run)
    row.insert(row.end(), {uint8_t(run = std::min<uint32_t>(left, 255)), index});
  row.insert(row.end(), {0, 0});
  for (uint32_t y = 0; y < rows; ++y) out.insert(out.end(), row.begin(), row.end());
  return out + Bytes{0, 1};
}

}  // namespace qm::test_files

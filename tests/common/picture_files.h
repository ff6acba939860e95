#pragma once
// Picture files made byte by byte, for the tests of what the loader reads before decoding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

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
inline Bytes be16(uint64_t value) { return {static_cast<uint8_t>(value >> 8), uint8_t(value)}; }
inline Bytes cut(Bytes bytes, size_t length) {
  bytes.resize(length);
  return bytes;
}

// ---- JPEG: the judge reads no tables; a flat picture's data is taken as two bits a block.
inline Bytes jpegSegment(uint8_t marker, const Bytes& payload) {
  return Bytes{0xFF, marker} + be16(payload.size() + 2) + payload;
}
inline Bytes jpegFrame(uint16_t width, uint16_t height, int components = 1, uint8_t code = 0xC0) {
  return jpegSegment(code, Bytes{8} + be16(height) + be16(width) +
                               (components == 3 ? Bytes{3, 1, 0x22, 0, 2, 0x11, 0, 3, 0x11, 0}
                                                : Bytes{1, 1, 0x11, 0}));
}
inline size_t jpegFlatBytes(uint64_t width, uint64_t height, int components = 1) {
  const uint64_t side = components == 3 ? 16 : 8, blocks = components == 3 ? 6 : 1;
  return static_cast<size_t>(
      ((width + side - 1) / side * ((height + side - 1) / side) * blocks * 2 + 7) / 8);
}
inline const Bytes kJpegStart{0xFF, 0xD8};
inline const Bytes kJfif = jpegSegment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
inline Bytes jpegFile(uint16_t width, uint16_t height, int components = 1,
                      size_t dataBytes = SIZE_MAX) {
  if (dataBytes == SIZE_MAX) dataBytes = jpegFlatBytes(width, height, components);
  return kJpegStart + kJfif + jpegFrame(width, height, components) + jpegSegment(0xC4, Bytes(29)) +
         jpegSegment(0xE2, {}) +
         jpegSegment(0xDA, components == 3 ? Bytes{3, 1, 0, 2, 0, 3, 0, 0, 63, 0}
                                           : Bytes{1, 1, 0, 0, 63, 0}) +
         Bytes(dataBytes, 0) + Bytes{0xFF, 0xD9};
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
    out.insert(out.end(), data.begin() + std::ptrdiff_t(at),
               data.begin() + std::ptrdiff_t(at + length));
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
inline Bytes gifFile(uint16_t width, uint16_t height, const Bytes& blocks, bool trailer = true) {
  return Bytes{'G', 'I', 'F', '8', '9', 'a'} + le(width, 2) + le(height, 2) +
         Bytes{0x81, 0, 0, 220, 0, 0, 0, 200, 0, 0, 0, 230, 255, 255, 255} + blocks +
         (trailer ? Bytes{0x3B} : Bytes{});
}
// ---- BMP: an info header of size bytes; 12 is the core header, with 16-bit sizes.
enum : uint32_t { kBmpRgb, kBmpRle8, kBmpRle4, kBmpBitfields };
inline Bytes bmpInfo(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression = 0,
                     uint32_t size = 40) {
  const int sizeBytes = size == 12 ? 2 : 4;
  Bytes out = le(size, 4) + le(uint32_t(width), sizeBytes) + le(uint32_t(height), sizeBytes) +
              le(1, 2) + le(bitCount, 2) + le(compression, 4);
  out.resize(size, 0);
  return out;
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

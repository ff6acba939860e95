#include "toolkit/colour_profile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "toolkit/exif_orientation.h"

namespace qm {

namespace {

using Matrix = ColourConverter::Matrix;
using Curves = ColourConverter::Curves;

uint32_t be16(const uint8_t* b) { return uint32_t{b[0]} << 8 | b[1]; }
uint32_t be32(const uint8_t* b) { return be16(b) << 16 | be16(b + 2); }
uint32_t le32(const uint8_t* b) {
  return uint32_t{b[0]} | b[1] << 8 | b[2] << 16 | uint32_t{b[3]} << 24;
}
double s15Fixed16(const uint8_t* b) { return static_cast<int32_t>(be32(b)) / 65536.0; }
constexpr uint32_t sig(const char (&s)[5]) {
  return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 |
         uint32_t(uint8_t(s[2])) << 8 | uint8_t(s[3]);
}

// ---- Reading the profile from the file ----------------------------------------------------------

constexpr uint8_t kIccMark[] = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};

bool readBytes(ByteSource& file, uint64_t at, size_t length, uint8_t* out) {
  return at <= file.size() && length <= file.size() - at && file.read(at, length, out);
}

EmbeddedColour readJpegColour(ByteSource& file) {
  EmbeddedColour colour;
  struct Chunk {
    uint8_t number;
    std::vector<uint8_t> bytes;
  };
  std::vector<Chunk> chunks;
  uint8_t count = 0;
  size_t total = 0;
  bool broken = false, exifRead = false;
  uint64_t at = 2;
  for (int segments = 0; segments < kMostJpegSegments; ++segments) {
    uint8_t marker[4];
    if (!readBytes(file, at, 2, marker) || marker[0] != 0xFF) break;
    while (marker[1] == 0xFF && readBytes(file, ++at, 2, marker)) {
    }
    if (marker[1] == 0xFF) break;
    at += 2;
    if (marker[1] == 0x01 || (marker[1] >= 0xD0 && marker[1] <= 0xD7)) continue;
    if (marker[1] == 0xDA || marker[1] == 0xD9 || !readBytes(file, at, 2, marker + 2)) break;
    const size_t length = be16(marker + 2);
    if (length < 2) break;
    uint8_t head[sizeof kIccMark + 2];
    if (marker[1] == 0xE2 && length >= 2 + sizeof head &&
        readBytes(file, at + 2, sizeof head, head) &&
        std::memcmp(head, kIccMark, sizeof kIccMark) == 0) {
      const uint8_t number = head[sizeof kIccMark], of = head[sizeof kIccMark + 1];
      total += length - 2 - sizeof head;
      broken = broken || number == 0 || number > of || (count != 0 && of != count) ||
               total > kLargestProfileBytes;
      count = of;
      if (!broken) {
        chunks.push_back({number, std::vector<uint8_t>(length - 2 - sizeof head)});
        broken = !readBytes(file, at + 2 + sizeof head, chunks.back().bytes.size(),
                            chunks.back().bytes.data());
      }
    } else if (marker[1] == 0xE1 && !exifRead && length >= 2 + 6 &&
               readBytes(file, at + 2, 6, head) && std::memcmp(head, "Exif\0", 6) == 0) {
      // The first Exif block only, as for the orientation; other APP1 blocks are not read.
      std::vector<uint8_t> block(length - 2);
      exifRead = true;
      colour.adobeRgb = readBytes(file, at + 2, block.size(), block.data()) &&
                        exifSaysAdobeRgb(block.data(), block.size());
    }
    at += length;
  }
  std::sort(chunks.begin(), chunks.end(),
            [](const Chunk& a, const Chunk& b) { return a.number < b.number; });
  for (size_t i = 0; i < chunks.size(); ++i) broken = broken || chunks[i].number != i + 1;
  if (broken || chunks.size() != count) return colour;
  for (const Chunk& chunk : chunks)
    colour.profile.insert(colour.profile.end(), chunk.bytes.begin(), chunk.bytes.end());
  return colour;
}

// A BITMAPV5HEADER says where its profile lies, from the header's start.
EmbeddedColour readBmpColour(ByteSource& file) {
  EmbeddedColour colour;
  constexpr uint64_t kInfo = 14;
  uint8_t info[124];
  if (!readBytes(file, kInfo, sizeof info, info) || le32(info) != sizeof info ||
      le32(info + 56) != sig("MBED"))
    return colour;
  const uint32_t offset = le32(info + 112), size = le32(info + 116);
  if (size > kLargestProfileBytes) return colour;
  colour.profile.resize(size);
  if (!readBytes(file, kInfo + offset, size, colour.profile.data())) colour.profile.clear();
  return colour;
}

// ---- The profile's curves and colourants --------------------------------------------------------

// A profile's tags, each inside the profile: empty for one absent or out of bounds.
class Profile {
 public:
  Profile(const uint8_t* data, size_t size) : data_(data) {
    if (!data || size < 132 || be32(data) < 132 || be32(data) > size) return;
    size_ = be32(data);
    const uint32_t count = be32(data + 128);
    valid_ = count <= (size_ - 132) / 12;
  }
  bool valid() const { return valid_; }
  uint32_t field(size_t at) const { return be32(data_ + at); }
  struct Tag {
    const uint8_t* data = nullptr;
    size_t size = 0;
  };
  Tag tag(uint32_t signature) const {
    for (uint32_t i = 0, count = field(128); valid_ && i < count; ++i) {
      const uint8_t* entry = data_ + 132 + 12 * i;
      const uint32_t offset = be32(entry + 4), size = be32(entry + 8);
      if (be32(entry) == signature && offset <= size_ && size <= size_ - offset && size >= 8)
        return {data_ + offset, size};
    }
    return {};
  }

 private:
  const uint8_t* data_;
  size_t size_ = 0;
  bool valid_ = false;
};

// The curve of a 'curv' (identity, gamma or table) or 'para' tag at levels 0 to 255, in linear
// light from 0 to 1; false when the tag is no curve or is cut short.
bool readCurve(Profile::Tag tag, std::array<double, 256>& curve) {
  if (tag.size < 12) return false;
  const uint32_t type = be32(tag.data), count = be32(tag.data + 8);
  if (type == sig("curv")) {
    if (count > (tag.size - 12) / 2) return false;
    const uint8_t* table = tag.data + 12;
    for (int v = 0; v < 256; ++v) {
      const double x = v / 255.0;
      if (count == 0) {
        curve[v] = x;
      } else if (count == 1) {
        curve[v] = std::pow(x, be16(table) / 256.0);
      } else {
        const double at = x * (count - 1);
        const uint32_t i = std::min(static_cast<uint32_t>(at), count - 2);
        const double low = be16(table + 2 * i), high = be16(table + 2 * i + 2);
        curve[v] = (low + (high - low) * (at - i)) / 65535.0;
      }
    }
    return true;
  }
  static constexpr uint32_t kParameters[] = {1, 3, 4, 5, 7};
  const uint32_t kind = be16(tag.data + 8);
  if (type != sig("para") || kind > 4 || tag.size < 12 + 4 * kParameters[kind]) return false;
  double p[7] = {0, 1, 0, 0, 0, 0, 0};  // g a b c d e f
  for (uint32_t i = 0; i < kParameters[kind]; ++i) p[i] = s15Fixed16(tag.data + 12 + 4 * i);
  const double g = p[0], a = p[1], b = p[2], c = p[3], d = p[4], e = p[5], f = p[6];
  for (int v = 0; v < 256; ++v) {
    const double x = v / 255.0, base = a * x + b, power = base > 0 ? std::pow(base, g) : 0;
    switch (kind) {
      case 0:
        curve[v] = std::pow(x, g);
        break;
      case 1:
        curve[v] = base >= 0 ? power : 0;
        break;
      case 2:
        curve[v] = (base >= 0 ? power : 0) + c;
        break;
      case 3:
        curve[v] = x >= d ? power : c * x;
        break;
      default:
        curve[v] = x >= d ? power + e : c * x + f;
        break;
    }
  }
  return true;
}

bool readColourant(Profile::Tag tag, Matrix& matrix, int column) {
  if (tag.size < 20 || be32(tag.data) != sig("XYZ ")) return false;
  for (int row = 0; row < 3; ++row) matrix[row][column] = s15Fixed16(tag.data + 8 + 4 * row);
  return true;
}

Matrix times(const Matrix& a, const Matrix& b) {
  Matrix product{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      for (int k = 0; k < 3; ++k) product[r][c] += a[r][k] * b[k][c];
  return product;
}

double determinant(const Matrix& m) {
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
         m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// sRGB's colourants adapted to D50 (Bradford, from the white of 6504 K), as the colour engines
// and sRGB's profiles hold them; its inverse takes D50 XYZ to linear sRGB.
const Matrix& xyzToSrgb() {
  static const Matrix inverse = [] {
    const Matrix m = {{{0.4358587, 0.3853236, 0.1430177},
                       {0.2223801, 0.7170343, 0.0605856},
                       {0.0139231, 0.0971334, 0.7138436}}};
    Matrix result;
    const double det = determinant(m);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) {
        const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
        result[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
      }
    return result;
  }();
  return inverse;
}

// sRGB's curve, from linear light in units of 1 / kOne to levels.
const uint8_t* srgbEncoding() {
  static const std::array<uint8_t, ColourConverter::kOne + 1> table = [] {
    std::array<uint8_t, ColourConverter::kOne + 1> levels;
    for (int i = 0; i <= ColourConverter::kOne; ++i) {
      const double x = static_cast<double>(i) / ColourConverter::kOne;
      const double v = x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1 / 2.4) - 0.055;
      levels[i] = static_cast<uint8_t>(std::lround(v * 255));
    }
    return levels;
  }();
  return table.data();
}

}  // namespace

EmbeddedColour readEmbeddedColour(ByteSource& file, PictureFormat format) {
  switch (format) {
    case PictureFormat::kJpeg:
      return readJpegColour(file);
    case PictureFormat::kBmp:
      return readBmpColour(file);
    case PictureFormat::kGif:
      break;
  }
  return {};
}

std::unique_ptr<ColourConverter> ColourConverter::forColour(const EmbeddedColour& colour) {
  if (!colour.profile.empty()) return forProfile(colour.profile.data(), colour.profile.size());
  if (!colour.adobeRgb) return nullptr;
  // Adobe RGB (1998) as its own profile holds it: gamma 563/256 and these colourants.
  Curves curves;
  for (int v = 0; v < 256; ++v) curves[0][v] = std::pow(v / 255.0, 563 / 256.0);
  curves[2] = curves[1] = curves[0];
  const Matrix colourants = {{{39953 / 65536.0, 13461 / 65536.0, 9776 / 65536.0},
                              {20384 / 65536.0, 41010 / 65536.0, 4141 / 65536.0},
                              {1276 / 65536.0, 3991 / 65536.0, 48793 / 65536.0}}};
  return fromParts(curves, times(xyzToSrgb(), colourants));
}

std::unique_ptr<ColourConverter> ColourConverter::forProfile(const uint8_t* data, size_t size) {
  const Profile profile(data, size);
  if (!profile.valid() || profile.field(20) != sig("XYZ ")) return nullptr;
  // A profile with tables from or to the connection space is converted through them by the
  // colour engines, which this code does not do.
  for (uint32_t table : {sig("A2B0"), sig("A2B1"), sig("A2B2"), sig("D2B0"), sig("D2B1")})
    if (profile.tag(table).data) return nullptr;
  Curves curves;
  if (profile.field(16) == sig("RGB ")) {
    Matrix colourants;
    if (!readColourant(profile.tag(sig("rXYZ")), colourants, 0) ||
        !readColourant(profile.tag(sig("gXYZ")), colourants, 1) ||
        !readColourant(profile.tag(sig("bXYZ")), colourants, 2) ||
        !readCurve(profile.tag(sig("rTRC")), curves[0]) ||
        !readCurve(profile.tag(sig("gTRC")), curves[1]) ||
        !readCurve(profile.tag(sig("bTRC")), curves[2]) ||
        std::fabs(determinant(colourants)) < 1e-4)
      return nullptr;
    return fromParts(curves, times(xyzToSrgb(), colourants));
  }
  if (profile.field(16) != sig("GRAY") || !readCurve(profile.tag(sig("kTRC")), curves[0]))
    return nullptr;
  // Grey is the white point's chromaticity at the curve's luminance: equal channels in sRGB.
  curves[2] = curves[1] = curves[0];
  return fromParts(curves, {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}});
}

std::unique_ptr<ColourConverter> ColourConverter::fromParts(const Curves& curves,
                                                            const Matrix& toSrgb) {
  // Real profiles take their colours to sRGB's within a factor of a few: one that claims more
  // lies, and its tables would overflow.
  for (const auto& row : toSrgb)
    for (double coefficient : row)
      if (!(std::fabs(coefficient) <= 64)) return nullptr;
  std::unique_ptr<ColourConverter> converter(new ColourConverter);
  for (int o = 0; o < 3; ++o)
    for (int i = 0; i < 3; ++i)
      for (int v = 0; v < 256; ++v)
        converter->terms_[o][i][v] = static_cast<int32_t>(
            std::lround(toSrgb[o][i] * std::clamp(curves[i][v], 0.0, 1.0) * kOne));
  // sRGB itself, or near enough that no colour moves by more than a level: nothing to do.
  std::vector<uint32_t> samples;
  for (uint32_t r = 0; r < 256; r += 15)
    for (uint32_t g = 0; g < 256; g += 15)
      for (uint32_t b = 0; b < 256; b += 15) samples.push_back(r << 16 | g << 8 | b);
  std::vector<uint32_t> converted = samples;
  converter->convert(converted.data(), converted.size());
  for (size_t k = 0; k < samples.size(); ++k)
    for (int shift : {0, 8, 16}) {
      const int before = samples[k] >> shift & 0xFF, after = converted[k] >> shift & 0xFF;
      if (after - before > 1 || before - after > 1) return converter;
    }
  return nullptr;
}

void ColourConverter::convert(uint32_t* pixels, size_t count) const {
  const uint8_t* encode = srgbEncoding();
  for (size_t k = 0; k < count; ++k) {
    const uint32_t pixel = pixels[k];
    const uint32_t in[3] = {pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF};
    uint32_t out = pixel & 0xFF000000u;
    for (int o = 0; o < 3; ++o) {
      const int32_t linear = terms_[o][0][in[0]] + terms_[o][1][in[1]] + terms_[o][2][in[2]];
      out |= uint32_t{encode[std::clamp(linear, 0, kOne)]} << (16 - 8 * o);
    }
    pixels[k] = out;
  }
}

}  // namespace qm

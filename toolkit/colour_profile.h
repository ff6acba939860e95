#pragma once
// The colours a picture's numbers stand for, as its ICC profile says, and their conversion to
// sRGB, the colours a screen is taken to show. Read from untrusted bytes: a profile that cannot
// be read whole, or that this code does not convert, leaves the picture as it is stored.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/picture_header.h"

namespace qm {

// Profiles larger than this are ignored: the largest real ones (LUT profiles of printers) are a
// few hundred kilobytes, the ones photos carry a few kilobytes.
constexpr size_t kLargestProfileBytes = 1 << 20;

// What a picture file says of its colours: the ICC profile it embeds (empty when none can be
// read whole), and for a JPEG whether its Exif calls it Adobe RGB (1998).
struct EmbeddedColour {
  std::vector<uint8_t> profile;
  bool adobeRgb = false;
};

// A JPEG's APP2 "ICC_PROFILE" chunks before its first scan, joined in their numbered order:
// all of them, each number once and all saying the same count, or no profile. A BMP's profile
// embedded after a BITMAPV5HEADER. A GIF has none. Never fails: a file read amiss says nothing.
EmbeddedColour readEmbeddedColour(ByteSource& file, PictureFormat format);

// Converts pixels from a profile's colours to sRGB, relative colorimetric: each channel through
// its curve to linear light, the profile's colourants to D50 XYZ and on to linear sRGB, clipped,
// then sRGB's curve; all through lookup tables.
class ColourConverter {
 public:
  // Null for what stays as stored: no profile; one this code does not convert (LUT-based, CMYK,
  // Lab, not a matrix and curves, cut short or inconsistent, colourants that span no colours);
  // and one that is sRGB, converting every colour to within one level of itself.
  static std::unique_ptr<ColourConverter> forColour(const EmbeddedColour& colour);
  static std::unique_ptr<ColourConverter> forProfile(const uint8_t* profile, size_t size);

  // 32-bit pixels, blue in the low byte, then green and red; the top byte is kept.
  void convert(uint32_t* pixels, size_t count) const;

  // Linear light is held in units of 1 / kOne.
  static constexpr int kOne = 1 << 14;

  using Matrix = std::array<std::array<double, 3>, 3>;    // [row][column]
  using Curves = std::array<std::array<double, 256>, 3>;  // linear light of each level, 0 to 1

 private:
  ColourConverter() = default;
  static std::unique_ptr<ColourConverter> fromParts(const Curves& curves, const Matrix& toSrgb);
  // Linear output channel o's share from input channel i at level v: terms_[o][i][v].
  int32_t terms_[3][3][256];
};

}  // namespace qm

// Colour profiles read from picture files, and pixels converted to sRGB as Little CMS does it.
#include "toolkit/colour_profile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "tests/common/exif_block.h"
#include "tests/common/icc_profile.h"

namespace qm {
namespace {

using namespace test_files;

class MemoryFile : public ByteSource {
 public:
  explicit MemoryFile(Bytes bytes) : bytes_(std::move(bytes)) {}
  uint64_t size() const override { return bytes_.size(); }
  bool read(uint64_t offset, size_t length, uint8_t* out) override {
    EXPECT_TRUE(offset <= bytes_.size() && length <= bytes_.size() - offset);
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), length, out);
    return true;
  }

 private:
  Bytes bytes_;
};

EmbeddedColour colourOf(const Bytes& file, PictureFormat format = PictureFormat::kJpeg) {
  MemoryFile memory(file);
  return readEmbeddedColour(memory, format);
}

Bytes joined(const std::vector<Bytes>& parts, std::initializer_list<size_t> order) {
  Bytes out;
  for (size_t i : order) out = out + parts[i];
  return out;
}

TEST(EmbeddedColour, AJpegsProfileIsItsChunksJoinedInTheirNumberedOrderAllOrNone) {
  Bytes profile(60000);
  for (size_t i = 0; i < profile.size(); ++i) profile[i] = static_cast<uint8_t>(i * 7 + i / 251);
  const std::vector<Bytes> three = iccChunks(profile, 3);
  const Bytes exif = jpegSegment(0xE1, test::exifColourSpace(1, "R98"));
  const Bytes picture = jpegFile(8, 8);
  const Bytes mostest(kLargestProfileBytes, 9), tooLarge(kLargestProfileBytes + 1, 9);
  const std::vector<Bytes> most = iccChunks(mostest, 17), over = iccChunks(tooLarge, 17);
  Bytes mostJoined, overJoined;
  for (size_t i = 0; i < 17; ++i)
    mostJoined = mostJoined + most[i], overJoined = overJoined + over[i];
  const struct {
    const char* name;
    Bytes file;
    Bytes profile;
  } cases[] = {
      {"one chunk", withSegments(picture, iccChunks(profile, 1)[0]), profile},
      {"three in order", withSegments(picture, joined(three, {0, 1, 2})), profile},
      {"three out of order, among other segments",
       withSegments(picture, three[2] + kJfif + three[0] + exif + three[1]), profile},
      {"one missing", withSegments(picture, joined(three, {0, 2})), {}},
      {"one twice, so one missing", withSegments(picture, joined(three, {0, 1, 1})), {}},
      {"one more than the count", withSegments(picture, joined(three, {0, 1, 2, 2})), {}},
      {"counts that disagree",
       withSegments(picture, three[0] + three[1] + iccChunk(3, 4, {1, 2})),
       {}},
      {"number 0", withSegments(picture, iccChunk(0, 1, profile)), {}},
      {"number past the count", withSegments(picture, iccChunk(2, 1, profile)), {}},
      {"after the scan", picture + iccChunks(profile, 1)[0], {}},
      {"cut short inside a chunk", cut(withSegments(picture, three[0]), 2 + 4 + 14 + 100), {}},
      {"the largest", withSegments(picture, mostJoined), mostest},
      {"a byte larger", withSegments(picture, overJoined), {}},
      {"another APP2, and a mark without its numbers",
       withSegments(picture, jpegSegment(0xE2, text("FPXR")) + three[0] +
                                 jpegSegment(0xE2, text("ICC_PROFILE") + Bytes{0, 2}) + three[1] +
                                 three[2]),
       profile},
      {"an empty chunk", withSegments(picture, iccChunk(1, 1, {})), {}},
      {"after markers that stand alone and an empty segment",
       withSegments(picture, Bytes{0xFF, 0xD0, 0xFF, 0xD7, 0xFF, 0x01, 0xFF, 0xE0, 0, 2} +
                                 iccChunks(profile, 1)[0]),
       profile},
      {"none", picture, {}},
  };
  for (const auto& c : cases) {
    const EmbeddedColour colour = colourOf(c.file);
    EXPECT_EQ(colour.profile, c.profile) << c.name;
    EXPECT_FALSE(colour.adobeRgb) << c.name;
  }
}

TEST(EmbeddedColour, ExifCallsItAdobeRgbWhenUncalibratedWithIndexR03) {
  const Bytes picture = jpegFile(8, 8);
  const struct {
    Bytes exif;
    bool adobeRgb;
  } cases[] = {
      {test::exifColourSpace(0xFFFF, "R03"), true},
      {test::exifColourSpace(0xFFFF, "R98"), false},
      {test::exifColourSpace(1, "R03"), false},
      {test::exifColourSpace(0xFFFE, "R03"), false},
      {cut(test::exifColourSpace(0xFFFF, "R03"), 80 - 4), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(colourOf(withSegments(picture, jpegSegment(0xE1, c.exif))).adobeRgb, c.adobeRgb);
    // Only the first Exif block counts.
    const Bytes second = jpegSegment(0xE1, test::exifColourSpace(0xFFFF, "R03"));
    EXPECT_EQ(colourOf(withSegments(picture, jpegSegment(0xE1, c.exif) + second)).adobeRgb,
              c.adobeRgb);
  }
  // An ASCII index of another length, or not ASCII.
  Bytes longer = test::exifColourSpace(0xFFFF, "R03"), typed = longer;
  longer[6 + 56 + 2 + 4] = 5;
  typed[6 + 56 + 2 + 2] = 7;
  EXPECT_FALSE(colourOf(withSegments(picture, jpegSegment(0xE1, longer))).adobeRgb);
  EXPECT_FALSE(colourOf(withSegments(picture, jpegSegment(0xE1, typed))).adobeRgb);
  EXPECT_FALSE(colourOf(gifFile(1, 1, gifSolid(1, 1, 0)), PictureFormat::kGif).adobeRgb);
}

TEST(EmbeddedColour, ABmpsProfileLiesWhereItsV5HeaderSays) {
  const Bytes profile = displayP3();
  auto v5 = [&](const char* type, uint32_t offset, uint32_t size) {
    Bytes info = bmpInfo(1, 1, 24, 0, 124);
    std::copy_n(type, 4, info.begin() + 56);
    const Bytes at = le(offset, 4) + le(size, 4);
    std::copy(at.begin(), at.end(), info.begin() + 112);
    return bmpFile(info, {}, {0, 0, 255, 0}) + profile;
  };
  const uint32_t after = 124 + 4;  // from the header's start, past the pixels
  const uint32_t size = static_cast<uint32_t>(profile.size());
  EXPECT_EQ(colourOf(v5("DEBM", after, size), PictureFormat::kBmp).profile, profile);
  EXPECT_EQ(colourOf(v5("BGRs", after, size), PictureFormat::kBmp).profile, Bytes{});
  EXPECT_EQ(colourOf(v5("DEBM", after + 1, size), PictureFormat::kBmp).profile, Bytes{});
  EXPECT_EQ(
      colourOf(v5("DEBM", after, uint32_t(kLargestProfileBytes + 1)), PictureFormat::kBmp).profile,
      Bytes{});
  // The largest it reads: the profile and what follows, a megabyte in all.
  const Bytes largest =
      v5("DEBM", after, uint32_t(kLargestProfileBytes)) + Bytes(kLargestProfileBytes, 3);
  EXPECT_EQ(colourOf(largest, PictureFormat::kBmp).profile,
            Bytes(largest.begin() + 14 + after,
                  largest.begin() + 14 + after + std::ptrdiff_t(kLargestProfileBytes)));
  EXPECT_EQ(colourOf(bmpFile(bmpInfo(1, 1, 24, 0, 108), {}, {0, 0, 255, 0}) + profile,
                     PictureFormat::kBmp)
                .profile,
            Bytes{});
}

Bytes fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path << " (Debian's colord-data)";
  return Bytes(std::istreambuf_iterator<char>(in), {});
}
const std::string kColord = "/usr/share/color/icc/colord/";

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

std::vector<Rgb> converted(const ColourConverter& converter, const std::vector<Rgb>& colours) {
  std::vector<uint32_t> pixels;
  for (const Rgb& c : colours)
    pixels.push_back(0xA5000000u | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | uint32_t(c.b));
  converter.convert(pixels.data(), pixels.size());
  std::vector<Rgb> out;
  for (uint32_t p : pixels) {
    EXPECT_EQ(p >> 24, 0xA5u);  // the top byte is kept
    out.push_back({int(p >> 16 & 255), int(p >> 8 & 255), int(p & 255)});
  }
  return out;
}

const Xyz kSrgbRed{0.4358587, 0.2223801, 0.0139231}, kSrgbGreen{0.3853236, 0.7170343, 0.0971334},
    kSrgbBlue{0.1430177, 0.0605856, 0.7138436};

// The answers of Little CMS 2.14 (Debian's liblcms2-utils), rounded, for the profile in a file
// (PROFILE; the built ones written out as they are made here):
//   printf '%s\n' '201 60 40' '0 0 0' '255 255 255' '255 0 0' '0 255 0' '0 0 255' '128 128 128'
//     '30 200 120' '10 20 30' '250 240 100' | transicc -t1 -s -n -i PROFILE -o '*sRGB'
// (one command line)
// and for the grey one the levels 0 10 60 128 200 255, one a line, through the same command.
TEST(ColourConverter, ConvertsAsLittleCmsDoesWithinALevel) {
  const std::vector<Rgb> colours = {{201, 60, 40}, {0, 0, 0},      {255, 255, 255}, {255, 0, 0},
                                    {0, 255, 0},   {0, 0, 255},    {128, 128, 128}, {30, 200, 120},
                                    {10, 20, 30},  {250, 240, 100}};
  const struct {
    const char* name;
    Bytes profile;
    std::vector<Rgb> expected;
  } cases[] = {
      {"Adobe RGB (1998), colord's",
       fileBytes(kColord + "AdobeRGB1998.icc"),
       {{233, 57, 34},
        {0, 0, 0},
        {255, 255, 255},
        {255, 0, 0},
        {0, 255, 0},
        {0, 0, 255},
        {129, 129, 129},
        {0, 201, 116},
        {0, 12, 24},
        {254, 240, 87}}},
      {"ProPhoto RGB, colord's",
       fileBytes(kColord + "ProPhotoRGB.icc"),
       {{255, 0, 43},
        {0, 0, 0},
        {255, 255, 255},
        {255, 0, 0},
        {0, 255, 0},
        {0, 0, 255},
        {146, 146, 146},
        {0, 230, 124},
        {0, 28, 42},
        {255, 241, 75}}},
      {"Display P3",
       displayP3(),
       {{219, 41, 22},
        {0, 0, 0},
        {255, 255, 255},
        {255, 0, 0},
        {0, 255, 0},
        {0, 0, 255},
        {128, 128, 128},
        {0, 204, 112},
        {7, 20, 31},
        {252, 240, 65}}},
      {"para of kinds 1, 2 and 4",
       matrixProfile(kSrgbRed, kSrgbGreen, kSrgbBlue, paraCurve(1, {2.2, 0.9, 0.1}),
                     paraCurve(2, {1.8, 1.0, -0.05, 0.05}),
                     paraCurve(4, {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045, 0.02, 0.01})),
       {{208, 88, 57},
        {19, 63, 25},
        {255, 251, 255},
        {255, 63, 25},
        {18, 251, 26},
        {18, 63, 255},
        {142, 146, 133},
        {49, 207, 126},
        {29, 64, 51},
        {251, 239, 107}}},
      {"version 2, curv as gamma, table and identity",
       matrixProfile({0.6097, 0.3111, 0.0195}, {0.2053, 0.6257, 0.0609}, {0.1492, 0.0632, 0.7446},
                     gammaCurve(2.2), tableCurve({0, 5000, 20000, 40000, 65535}), tableCurve({}),
                     2),
       {{231, 76, 112},
        {0, 0, 0},
        {255, 255, 255},
        {255, 0, 0},
        {0, 255, 0},
        {0, 0, 255},
        {119, 151, 189},
        {0, 213, 181},
        {0, 43, 98},
        {252, 244, 164}}},
      {"red and green swapped, colord's",
       fileBytes(kColord + "SwappedRedAndGreen.icc"),
       {{60, 201, 40},
        {0, 0, 0},
        {255, 255, 255},
        {1, 255, 0},
        {255, 0, 0},
        {0, 0, 255},
        {128, 128, 128},
        {200, 30, 120},
        {20, 10, 30},
        {240, 250, 100}}},
  };
  for (const auto& c : cases) {
    const auto converter = ColourConverter::forProfile(c.profile.data(), c.profile.size());
    ASSERT_TRUE(converter) << c.name;
    const std::vector<Rgb> got = converted(*converter, colours);
    for (size_t i = 0; i < colours.size(); ++i) {
      const Rgb& want = c.expected[i];
      EXPECT_TRUE(std::abs(got[i].r - want.r) <= 1 && std::abs(got[i].g - want.g) <= 1 &&
                  std::abs(got[i].b - want.b) <= 1)
          << c.name << ": " << colours[i] << " gave " << got[i] << ", Little CMS " << want;
    }
  }
  const Bytes grey = iccProfile("GRAY", {{"kTRC", gammaCurve(1.8)}}, 2);
  const auto converter = ColourConverter::forProfile(grey.data(), grey.size());
  ASSERT_TRUE(converter);
  EXPECT_EQ(converted(*converter, {{0, 0, 0},
                                   {10, 10, 10},
                                   {60, 60, 60},
                                   {128, 128, 128},
                                   {200, 200, 200},
                                   {255, 255, 255}}),
            (std::vector<Rgb>{{0, 0, 0},
                              {10, 10, 10},
                              {77, 77, 77},
                              {146, 146, 146},
                              {210, 210, 210},
                              {255, 255, 255}}));
}

TEST(ColourConverter, ExifsAdobeRgbConvertsAsItsProfile) {
  EmbeddedColour colour;
  colour.adobeRgb = true;
  const auto converter = ColourConverter::forColour(colour);
  ASSERT_TRUE(converter);
  EXPECT_EQ(converted(*converter, {{201, 60, 40}, {128, 128, 128}, {30, 200, 120}}),
            (std::vector<Rgb>{{233, 57, 34}, {129, 129, 129}, {0, 201, 116}}));
  EXPECT_FALSE(ColourConverter::forColour({}));
}

// sRGB's colourants, and at each level the tables hold sRGB's linear light of that level, but
// green's at level 120 that of level 120 + shift.
Bytes srgbShiftedAt120(int shift) {
  std::vector<uint16_t> table;
  for (int v = 0; v < 256; ++v) {
    const double x = v / 255.0;
    const double linear = x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
    table.push_back(static_cast<uint16_t>(std::lround(linear * 65535)));
  }
  std::vector<uint16_t> green = table;
  green[120] = table[size_t(120 + shift)];
  return matrixProfile(kSrgbRed, kSrgbGreen, kSrgbBlue, tableCurve(table), tableCurve(green),
                       tableCurve(table));
}

TEST(ColourConverter, WhatItDoesNotConvertStaysAsStored) {
  const Bytes p3 = displayP3();
  const Bytes srgbCurve = paraCurve(3, {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045});
  auto withTag = [&](const std::string& signature, const Bytes& data) {
    return iccProfile("RGB ", {{"rXYZ", xyzTag(0.515121, 0.241180, -0.001053)},
                               {"gXYZ", xyzTag(0.291977, 0.692245, 0.041885)},
                               {"bXYZ", xyzTag(0.157104, 0.066574, 0.784073)},
                               {"rTRC", srgbCurve},
                               {"gTRC", srgbCurve},
                               {signature, data}});
  };
  auto patched = [](Bytes bytes, size_t at, const Bytes& with) {
    std::copy(with.begin(), with.end(), bytes.begin() + std::ptrdiff_t(at));
    return bytes;
  };
  const struct {
    const char* name;
    Bytes profile;
    bool converts;
  } cases[] = {
      {"Display P3", p3, true},
      {"sRGB, colord's", fileBytes(kColord + "sRGB.icc"), false},
      {"sRGB's colourants and curve",
       matrixProfile(kSrgbRed, kSrgbGreen, kSrgbBlue, srgbCurve, srgbCurve, srgbCurve), false},
      {"sRGB but a level off", srgbShiftedAt120(1), false},
      {"sRGB but two levels off", srgbShiftedAt120(2), true},
      {"sRGB but two levels off the other way", srgbShiftedAt120(-2), true},
      {"bTRC as the last tag", withTag("bTRC", srgbCurve), true},
      {"a LUT from device to connection space", withTag("A2B0", srgbCurve), false},
      {"a perceptual LUT", withTag("A2B1", srgbCurve), false},
      {"a saturation LUT", withTag("A2B2", srgbCurve), false},
      {"a float LUT", withTag("D2B0", srgbCurve), false},
      {"a colorimetric float LUT", withTag("D2B1", srgbCurve), false},
      {"no bTRC", withTag("bXYZ", srgbCurve), false},
      {"bTRC not a curve", withTag("bTRC", xyzTag(1, 1, 1)), false},
      {"para of no kind", withTag("bTRC", paraCurve(5, {1, 1, 1, 1, 1, 1, 1})), false},
      {"para kind 4 short a parameter", withTag("bTRC", paraCurve(4, {2.4, 1, 0, 1, 0, 0})), false},
      {"para kind 0 whole", withTag("bTRC", paraCurve(0, {2.2})), true},
      {"para kind 0 without its parameter", withTag("bTRC", paraCurve(0, {})), false},
      {"a table longer than its tag", withTag("bTRC", cut(tableCurve({0, 9, 65535}), 16)), false},
      {"a table as long as its tag", withTag("bTRC", cut(tableCurve({0, 9, 65535}), 18)), true},
      {"CMYK", patched(p3, 16, text("CMYK")), false},
      {"grey without kTRC", patched(p3, 16, text("GRAY")), false},
      {"Lab connection space", patched(p3, 20, text("Lab ")), false},
      {"declares more bytes than it has", patched(p3, 0, be32(uint32_t(p3.size() + 1))), false},
      {"declares its bytes less some", patched(p3, 0, be32(uint32_t(p3.size() - 4))), false},
      {"more tags than it holds", patched(p3, 128, be32(20)), false},
      // Display P3's last tag, bTRC, ends with the profile.
      {"a tag one past the end", patched(p3, 132 + 60 + 4, be32(uint32_t(p3.size() - 31))), false},
      {"colourants in a line",
       matrixProfile({0.4, 0.2, 0.02}, {0.4, 0.2, 0.02}, {0.1, 0.1, 0.7}, srgbCurve, srgbCurve,
                     srgbCurve),
       false},
      {"colourants all but in a plane",
       matrixProfile({0.5, 0, 0}, {0, 0.5, 0}, {0, 0, 0.0002}, srgbCurve, srgbCurve, srgbCurve),
       false},
      {"colourants just out of a plane",
       matrixProfile({0.5, 0, 0}, {0, 0.5, 0}, {0, 0, 0.0005}, srgbCurve, srgbCurve, srgbCurve),
       true},
      {"colourants far beyond any colour",
       matrixProfile({30000, 0.2, 0.02}, {0.4, 0.7, 0.1}, {0.1, 0.1, 0.7}, srgbCurve, srgbCurve,
                     srgbCurve),
       false},
      {"colourants wide but real",
       matrixProfile({4, 0.2, 0.02}, {0.4, 0.7, 0.1}, {0.1, 0.1, 0.7}, srgbCurve, srgbCurve,
                     srgbCurve),
       true},
      {"only the header", cut(p3, 131), false},
      {"nothing", {}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ColourConverter::forProfile(c.profile.data(), c.profile.size()) != nullptr,
              c.converts)
        << c.name;
}

}  // namespace
}  // namespace qm

// Colour profiles read from picture files, and pixels converted to sRGB as Little CMS does it.
#include "toolkit/colour_profile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <numeric>

#include "tests/common/picture_files.h"

namespace qm {
namespace {

using namespace test_files;

// A one-pixel BMP, its V5 header locating a profile (type, offset from it, size), and then after.
Bytes v5Bmp(const char* type, uint32_t offset, size_t size, const Bytes& after) {
  const Bytes info = patched(bmpInfo(1, 1, 24, 0, 124), 56, Bytes(type, type + 4));
  return bmpFile(patched(info, 112, le(offset, 4) + le(size, 4)), {}, {0, 0, 255, 0}) + after;
}

TEST(EmbeddedColour, IsAJpegsChunksAllOrNoneABmpsProfileWhereItSaysAndExifsAdobeRgb) {
  Bytes profile(60000);
  for (size_t i = 0; i < profile.size(); ++i) profile[i] = static_cast<uint8_t>(i * 7 + i / 251);
  const std::vector<Bytes> c = iccChunks(profile, 3);
  const Bytes one = iccChunks(profile, 1)[0], most(kLargestProfileBytes, 9), p3 = displayP3();
  auto in = [](const std::vector<Bytes>& s) { return withSegments(jpegFile(8, 8), s); };
  auto app1 = [](const Bytes& block) { return jpegSegment(0xE1, block); };
  const Bytes r03 = exifColourSpace(0xFFFF, "R03"), srgb = app1(exifColourSpace(1, "R98"));
  const uint32_t after = 124 + 4;  // from the header's start, past the pixel
  Bytes empties;                   // 4096 empty segments: the reader walks no more than that many
  for (int i = 0; i < 4096; ++i) empties = empties + Bytes{0xFF, 0xE0, 0, 2};
  const struct {
    const char* name;
    Bytes file, profile;
    bool adobeRgb = false;
  } cases[] = {
      {"one chunk", in({one}), profile},
      {"three in order", in({c[0], c[1], c[2]}), profile},
      {"three out of order, among other segments", in({c[2], kJfif, c[0], srgb, c[1]}), profile},
      {"one missing", in({c[0], c[2]}), {}},
      {"one twice, so one missing", in({c[0], c[1], c[1]}), {}},
      {"one more than the count", in({c[0], c[1], c[2], c[2]}), {}},
      {"counts that disagree", in({c[0], c[1], iccChunk(3, 4, {1, 2})}), {}},
      {"number 0", in({iccChunk(0, 1, profile)}), {}},
      {"number past the count", in({iccChunk(2, 1, profile)}), {}},
      {"after the scan", jpegFile(8, 8) + one, {}},
      {"cut short inside a chunk", cut(in({c[0]}), 2 + 4 + 14 + 100), {}},
      {"the largest", in(iccChunks(most, 17)), most},
      {"a byte larger", in(iccChunks(most + Bytes{9}, 17)), {}},
      {"another APP2, and a mark without its numbers",
       in({jpegSegment(0xE2, text("FPXR")), c[0],
           jpegSegment(0xE2, text("ICC_PROFILE") + Bytes{0, 2}), c[1], c[2]}),
       profile},
      {"an empty chunk", in({iccChunk(1, 1, {})}), {}},
      {"after markers that stand alone and an empty segment",
       in({Bytes{0xFF, 0xD0, 0xFF, 0xD7, 0xFF, 0x01, 0xFF, 0xE0, 0, 2}, one}), profile},
      {"an empty last chunk ending the file",
       kJpegStart + iccChunk(1, 2, {1, 2}) + iccChunk(2, 2, {}), Bytes{1, 2}},
      {"the 4096th segment", in({cut(empties, 4095 * 4), one}), profile},
      {"the 4097th segment", in({empties, one}), {}},
      {"none", jpegFile(8, 8), {}},
      // Exif's ColorSpace uncalibrated, with the interoperability index R03, says Adobe RGB.
      {"uncalibrated, R03", in({app1(r03)}), {}, true},
      {"uncalibrated, R98", in({app1(exifColourSpace(0xFFFF, "R98"))}), {}},
      {"sRGB, R03", in({app1(exifColourSpace(1, "R03"))}), {}},
      {"0xFFFE, R03", in({app1(exifColourSpace(0xFFFE, "R03"))}), {}},
      {"cut short", in({app1(cut(r03, 80 - 4))}), {}},
      {"an index of 5 characters", in({app1(patched(r03, 6 + 56 + 2 + 4, {5}))}), {}},
      {"an index not ASCII", in({app1(patched(r03, 6 + 56 + 2 + 2, {7}))}), {}},
      {"only the first Exif block counts", in({srgb, app1(r03)}), {}},
      {"a GIF", gifFile(1, 1, gifSolid(1, 1, 0)), {}},
      // A BMP's profile, 'MBED' in the header (read little-endian).
      {"BMP", v5Bmp("DEBM", after, p3.size(), p3), p3},
      {"BMP, its profile linked", v5Bmp("BGRs", after, p3.size(), p3), {}},
      {"BMP, its profile past the end", v5Bmp("DEBM", after + 1, p3.size(), p3), {}},
      {"BMP, a profile too large", v5Bmp("DEBM", after, kLargestProfileBytes + 1, most + p3), {}},
      {"BMP, the largest", v5Bmp("DEBM", after, kLargestProfileBytes, p3 + most),
       cut(p3 + most, kLargestProfileBytes)},
      {"BMP, a V4 header", bmpFile(bmpInfo(1, 1, 24, 0, 108), {}, {0, 0, 255, 0}) + p3, {}},
  };
  for (const auto& row : cases) {
    MemoryFile file(row.file);
    const auto format = row.file[0] == 'B' ? kBmp : row.file[0] == 'G' ? kGif : kJpeg;
    const EmbeddedColour colour = readEmbeddedColour(file, format);
    EXPECT_EQ(std::tuple(colour.profile, colour.adobeRgb, file.overreached),
              std::tuple(row.profile, row.adobeRgb, false))
        << row.name;
  }
}

Bytes colord(const std::string& name) {
  std::ifstream in("/usr/share/color/icc/colord/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name << " (Debian's colord-data)";
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

using Levels = std::vector<int>;  // red, green and blue of each colour

// Pixels of the given levels converted; the top byte is kept.
Levels converted(const ColourConverter& converter, Levels levels) {
  std::vector<uint32_t> pixels(levels.size() / 3, 0xA5000000u);
  for (size_t i = 0; i < levels.size(); ++i) pixels[i / 3] |= levels[i] << (16 - i % 3 * 8);
  converter.convert(pixels.data(), pixels.size());
  for (size_t i = 0; i < levels.size(); ++i) levels[i] = pixels[i / 3] >> (16 - i % 3 * 8) & 255;
  for (uint32_t pixel : pixels) EXPECT_EQ(pixel >> 24, 0xA5u);
  return levels;
}

// The answers of Little CMS 2.14 (Debian's liblcms2-utils), rounded, for the profile in a file
// (PROFILE; the built ones written out as they are made here):
//   printf '%s\n' '201 60 40' '0 0 0' '255 255 255' '255 0 0' '0 255 0' '0 0 255' '128 128 128'
//     '30 200 120' '10 20 30' '250 240 100' | transicc -t1 -s -n -i PROFILE -o '*sRGB'
// (one command line); for the grey one, each of those levels alone, one a line.
TEST(ColourConverter, ConvertsAsLittleCmsDoesWithinALevel) {
  const Levels colours = {201, 60, 40,  0,   0,   0,   255, 255, 255, 255, 0,  0,  0,   255, 0,
                          0,   0,  255, 128, 128, 128, 30,  200, 120, 10,  20, 30, 250, 240, 100};
  const struct {
    const char* name;
    Bytes profile;
    Levels expected;
    int within = 1;  // levels; 0 where the answers have always agreed to the level
  } cases[] = {
      {"Adobe RGB (1998), colord's", colord("AdobeRGB1998.icc"),
       Levels{233, 57, 34,  0,   0,   0,   255, 255, 255, 255, 0,  0,  0,   255, 0,
              0,   0,  255, 129, 129, 129, 0,   201, 116, 0,   12, 24, 254, 240, 87},
       0},
      {"ProPhoto RGB, colord's", colord("ProPhotoRGB.icc"),
       Levels{255, 0, 43,  0,   0,   0,   255, 255, 255, 255, 0,  0,  0,   255, 0,
              0,   0, 255, 146, 146, 146, 0,   230, 124, 0,   28, 42, 255, 241, 75}},
      {"Display P3", displayP3(),
       Levels{219, 41, 22,  0,   0,   0,   255, 255, 255, 255, 0,  0,  0,   255, 0,
              0,   0,  255, 128, 128, 128, 0,   204, 112, 7,   20, 31, 252, 240, 65}},
      {"para of kinds 1, 2 and 4",
       matrixProfile(kSrgbColourants,
                     {para(1, {2.2, 0.9, 0.1}), para(2, {1.8, 1.0, -0.05, 0.05}),
                      para(4, {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045, 0.02, 0.01})}),
       Levels{208, 88, 57,  19,  63,  25,  255, 251, 255, 255, 63, 25, 18,  251, 26,
              18,  63, 255, 142, 146, 133, 49,  207, 126, 29,  64, 51, 251, 239, 107}},
      {"version 2, curv as gamma, table and identity",
       matrixProfile({0.6097, 0.3111, 0.0195, 0.2053, 0.6257, 0.0609, 0.1492, 0.0632, 0.7446},
                     {curv({563}), curv({0, 5000, 20000, 40000, 65535}), curv({})}, 2),
       Levels{231, 76, 112, 0,   0,   0,   255, 255, 255, 255, 0,  0,  0,   255, 0,
              0,   0,  255, 119, 151, 189, 0,   213, 181, 0,   43, 98, 252, 244, 164}},
      {"red and green swapped, colord's", colord("SwappedRedAndGreen.icc"),
       Levels{60, 201, 40,  0,   0,   0,   255, 255, 255, 1,  255, 0,  255, 0,   0,
              0,  0,   255, 128, 128, 128, 200, 30,  120, 20, 10,  30, 240, 250, 100}},
      {"grey, gamma 1.8", iccProfile("GRAY", {{"kTRC", curv({461})}}, 2),
       Levels{211, 77, 53,  0,   0,   0,   255, 255, 255, 255, 0,  0,  0,   255, 0,
              0,   0,  255, 146, 146, 146, 40,  210, 139, 10,  26, 40, 251, 243, 119},
       0},
  };
  for (const auto& c : cases) {
    const auto converter = ColourConverter::forProfile(c.profile.data(), c.profile.size());
    ASSERT_TRUE(converter) << c.name;
    Levels got = converted(*converter, colours);
    for (size_t i = 0; i < got.size(); ++i)
      if (std::abs(got[i] - c.expected[i]) <= c.within) got[i] = c.expected[i];
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

TEST(ColourConverter, ExifsAdobeRgbConvertsEveryColourAsColordsAdobeRgbProfile) {
  const auto byExif = ColourConverter::forColour({{}, true});
  const auto byProfile = ColourConverter::forColour({colord("AdobeRGB1998.icc")});
  ASSERT_TRUE(byExif && byProfile);
  std::vector<uint32_t> colours(1 << 24);
  std::iota(colours.begin(), colours.end(), 0u);
  std::vector<uint32_t> converted = colours;
  byExif->convert(colours.data(), colours.size());
  byProfile->convert(converted.data(), converted.size());
  EXPECT_TRUE(colours == converted);  // not EXPECT_EQ, which would print 16M pixels
  EXPECT_FALSE(ColourConverter::forColour({}));
}

// sRGB's colourants, and at each level the tables hold sRGB's linear light of that level, but
// one channel's (0 red, 1 green, 2 blue) at the given level that of level + shift.
Bytes srgbShifted(size_t channel, int shift, size_t level = 120) {
  std::vector<uint16_t> table;
  for (double v = 0; v < 256; ++v) {
    const double x = v / 255;
    table.push_back(uint16_t(
        std::lround(65535 * (x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4)))));
  }
  std::vector<Bytes> curves(3, curv(table));
  table[level] = table[level + shift];
  curves[channel] = curv(table);
  return matrixProfile(kSrgbColourants, curves);
}

// Display P3's first `kept` tags, then more.
Bytes p3With(size_t kept, const std::vector<IccTag>& more) {
  std::vector<IccTag> tags = matrixTags(kP3Colourants, {kSrgbCurve});
  tags.resize(kept);
  tags.insert(tags.end(), more.begin(), more.end());
  return iccProfile("RGB ", tags);
}

TEST(ColourConverter, WhatItDoesNotConvertStaysAsStored) {
  const Bytes p3 = displayP3(), s = kSrgbCurve;
  auto bTrc = [](const Bytes& curve) { return p3With(5, {{"bTRC", curve}}); };
  auto colourants = [&](const Colourants& xyz) { return matrixProfile(xyz, {s}); };
  auto srgb = [](const Bytes& curve) { return matrixProfile(kSrgbColourants, {curve}); };
  const double a = 1 / 1.055, b = 0.055 / 1.055, c = 1 / 12.92;  // sRGB's curve as a 'para'
  const std::tuple<const char*, Bytes, bool> cases[] = {
      {"sRGB, colord's", colord("sRGB.icc"), false},
      {"sRGB's colourants and curve", colourants(kSrgbColourants), false},
      {"sRGB but green a level off", srgbShifted(1, 1), false},
      {"sRGB but blue a level off the other way", srgbShifted(2, -1), false},
      {"sRGB but red two levels off at 135", srgbShifted(0, 2, 135), true},
      {"sRGB but green two levels off the other way", srgbShifted(1, -2), true},
      {"sRGB but blue two levels off", srgbShifted(2, 2), true},
      {"sRGB but its power from black on", srgb(para(3, {2.4, a, b, c, 0})), true},
      {"the same as a para of kind 4", srgb(para(4, {2.4, a, b, c, 0, 0, 0})), true},
      {"a LUT from device to connection space", p3With(6, {{"A2B0", s}}), false},
      {"a perceptual LUT", p3With(6, {{"A2B1", s}}), false},
      {"a saturation LUT", p3With(6, {{"A2B2", s}}), false},
      {"a float LUT", p3With(6, {{"D2B0", s}}), false},
      {"a colorimetric float LUT, only its type", p3With(6, {{"D2B1", cut(s, 8)}}), false},
      {"no bTRC", p3With(5, {}), false},
      {"bTRC not a curve", bTrc(xyzTag(kP3Colourants.data())), false},
      {"para of no kind", bTrc(para(5, {1, 1, 1, 1, 1, 1, 1})), false},
      {"para kind 4 short a parameter", bTrc(para(4, {2.4, 1, 0, 1, 0, 0})), false},
      {"para kind 0 whole", bTrc(para(0, {2.2})), true},
      {"para kind 0 without its parameter", bTrc(para(0, {})), false},
      {"a table longer than its tag", bTrc(cut(curv({0, 9, 65535}), 16)), false},
      {"a table as long as its tag", bTrc(cut(curv({0, 9, 65535}), 18)), true},
      {"CMYK", patched(p3, 16, text("CMYK")), false},
      {"grey without kTRC", patched(p3, 16, text("GRAY")), false},
      {"Lab connection space", patched(p3, 20, text("Lab ")), false},
      {"declares more bytes than it has", patched(p3, 0, be(p3.size() + 1, 4)), false},
      {"declares its bytes less some", patched(p3, 0, be(p3.size() - 4, 4)), false},
      {"as many tags as it holds", patched(p3, 128, be(19, 4)), true},
      {"more tags than it holds", patched(p3, 128, be(20, 4)), false},
      // Display P3's last tag, bTRC, is a 'para' of 32 bytes ending with the profile.
      {"a tag one past the end", patched(p3, 132 + 60 + 8, be(33, 4)), false},
      {"a tag starting past the end", patched(p3, 132 + 60 + 4, be(p3.size() + 1, 4)), false},
      {"colourants in a line", colourants({0.4, 0.2, 0.02, 0.4, 0.2, 0.02, 0.1, 0.1, 0.7}), false},
      {"colourants all but in a plane", colourants({0.5, 0, 0, 0, 0.5, 0, 0, 0, 0.0002}), false},
      {"colourants just out of a plane", colourants({0.5, 0, 0, 0, 0.5, 0, 0, 0, 0.0005}), true},
      {"colourants beyond any colour", colourants({30000, 0.2, 0.02, 0.4, 0.7, 0.1, 0.1, 0.1, 0.7}),
       false},
      {"colourants wide but real", colourants({4, 0.2, 0.02, 0.4, 0.7, 0.1, 0.1, 0.1, 0.7}), true},
      {"only the header", cut(p3, 131), false},
      {"nothing", {}, false},
  };
  for (const auto& [name, profile, converts] : cases)
    EXPECT_EQ(ColourConverter::forProfile(profile.data(), profile.size()) != nullptr, converts)
        << name;
}

}  // namespace
}  // namespace qm

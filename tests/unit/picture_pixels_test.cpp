// Pixels turned upright for each Exif orientation, and shrunk by area averaging.
#include "toolkit/picture_pixels.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

namespace qm {
namespace {

using Pixels = std::vector<uint32_t>;

Pixels shrink(const Pixels& source, int sourceWidth, int sourceHeight, int width, int height,
              int band = 0) {
  Pixels target(static_cast<size_t>(width) * height, 0xDEADBEEF);
  AreaShrinker shrinker(sourceWidth, sourceHeight, width, height, target.data());
  const int rows = band > 0 ? band : sourceHeight;
  for (int top = 0; top < sourceHeight; top += rows) {
    shrinker.addRows(source.data() + static_cast<size_t>(top) * sourceWidth,
                     std::min(rows, sourceHeight - top), static_cast<size_t>(sourceWidth));
  }
  EXPECT_TRUE(shrinker.done());
  target.resize(static_cast<size_t>(shrinker.width()) * shrinker.height());
  return target;
}

uint32_t grey(uint32_t level) { return level * 0x01010101u; }

TEST(TurnPixels, EachOrientationShowsThePictureAsTheExifStandardDescribesIt) {
  // Stored 3 x 2:  a b c
  //                d e f
  const Pixels stored = {'a', 'b', 'c', 'd', 'e', 'f'};
  struct Case {
    int orientation;
    Pixels shown;  // row by row, as seen
  } cases[] = {
      {1, {'a', 'b', 'c', 'd', 'e', 'f'}},  // as stored
      {2, {'c', 'b', 'a', 'f', 'e', 'd'}},  // 0th row at the top, 0th column at the right
      {3, {'f', 'e', 'd', 'c', 'b', 'a'}},  // 0th row at the bottom, 0th column at the right
      {4, {'d', 'e', 'f', 'a', 'b', 'c'}},  // 0th row at the bottom, 0th column at the left
      {5, {'a', 'd', 'b', 'e', 'c', 'f'}},  // 0th row at the left, 0th column at the top
      {6, {'d', 'a', 'e', 'b', 'f', 'c'}},  // 0th row at the right, 0th column at the top
      {7, {'f', 'c', 'e', 'b', 'd', 'a'}},  // 0th row at the right, 0th column at the bottom
      {8, {'c', 'f', 'b', 'e', 'a', 'd'}},  // 0th row at the left, 0th column at the bottom
      {0, {'a', 'b', 'c', 'd', 'e', 'f'}},  // no orientation: as stored
  };
  for (const Case& c : cases) {
    Pixels shown(stored.size());
    turnPixels(stored.data(), 3, 2, c.orientation, shown.data());
    EXPECT_EQ(shown, c.shown) << "orientation " << c.orientation;
  }
}

TEST(AreaShrinker, EachChannelOfAPixelIsTheMeanOfTheAreaItCovers) {
  // 4 x 4 to 2 x 2: whole 2 x 2 blocks.
  const Pixels blocks = {grey(0),   grey(4),   grey(100), grey(100), grey(8),   grey(12),
                         grey(100), grey(100), grey(10),  grey(10),  grey(255), grey(255),
                         grey(30),  grey(30),  grey(0),   grey(0)};
  EXPECT_EQ(shrink(blocks, 4, 4, 2, 2), (Pixels{grey(6), grey(100), grey(20), grey(128)}));
  // 3 to 2 across: the middle pixel is shared half and half.
  // (0 + 90 / 2) / 1.5 = 30 and (90 / 2 + 180) / 1.5 = 150.
  EXPECT_EQ(shrink({grey(0), grey(90), grey(180)}, 3, 1, 2, 1), (Pixels{grey(30), grey(150)}));
  EXPECT_EQ(shrink({grey(0), grey(90), grey(180)}, 1, 3, 1, 2), (Pixels{grey(30), grey(150)}));
  EXPECT_EQ(shrink({0x00FF0000, 0x0000FF00}, 2, 1, 1, 1), (Pixels{0x00808000}));
  EXPECT_EQ(shrink({0xFF000001, 0x01000003}, 2, 1, 1, 1), (Pixels{0x80000002}));
}

TEST(AreaShrinker, AnEvenColourStaysExactlyThatColourAtAnySize) {
  struct Size {
    int sourceWidth, sourceHeight, width, height;
  } sizes[] = {{7, 5, 3, 2}, {640, 3, 1, 1}, {1000, 7, 999, 6}, {37, 41, 36, 13}, {5, 5, 5, 1}};
  for (const Size& s : sizes) {
    const Pixels source(static_cast<size_t>(s.sourceWidth) * s.sourceHeight, 0x00C08040);
    EXPECT_EQ(shrink(source, s.sourceWidth, s.sourceHeight, s.width, s.height),
              Pixels(static_cast<size_t>(s.width) * s.height, 0x00C08040))
        << s.sourceWidth << "x" << s.sourceHeight << " to " << s.width << "x" << s.height;
  }
}

TEST(AreaShrinker, BandsOfAnyHeightGiveTheSamePicture) {
  std::mt19937 random(7);
  Pixels source(123 * 97);
  for (uint32_t& pixel : source) pixel = random();
  const Pixels whole = shrink(source, 123, 97, 40, 31);
  for (int band : {1, 2, 3, 16, 96})
    EXPECT_EQ(shrink(source, 123, 97, 40, 31, band), whole) << band;
  // The brightness of the whole is kept, to rounding.
  auto total = [](const Pixels& pixels, double area) {
    return std::accumulate(pixels.begin(), pixels.end(), 0.0,
                           [](double sum, uint32_t p) { return sum + (p & 0xFF); }) *
           area;
  };
  EXPECT_NEAR(total(whole, 123.0 * 97 / (40 * 31)), total(source, 1.0), 0.5 * 123 * 97);
}

TEST(AreaShrinker, NeverEnlargesAndCopiesAtTheSameSize) {
  const Pixels source = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(shrink(source, 3, 2, 6, 4), source);  // the result is sized by the shrinker
}

}  // namespace
}  // namespace qm

// Pictures turned upright by their Exif orientation, and shrunk by area averaging.
#include "toolkit/picture_pixels.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/common/picture_files.h"
#include "toolkit/exif_orientation.h"

namespace qm {
namespace {

using namespace test_files;

// The head of a JPEG as cameras write it: start, the given segments, the scan's header.
Bytes jpegHead(const Bytes& segments) { return kJpegStart + segments + jpegScan(); }

TEST(ExifOrientation, EveryValueInBothByteOrdersAndEveryShortenedBlockOrFileIsRefused) {
  for (bool bigEndian : {false, true}) {
    for (uint16_t value = 1; value <= 8; ++value) {
      SCOPED_TRACE(std::to_string(value) + (bigEndian ? ", big-endian" : ""));
      const Bytes block = exifWithOrientation(value, bigEndian);
      for (size_t size = 0; size <= block.size(); ++size)
        EXPECT_EQ(exifBlockOrientation(block.data(), size),
                  size < block.size() ? kNoOrientation : value)
            << size;
      // A file cut inside the Exif segment says nothing; cut after it, it is read whole.
      const Bytes file = jpegHead(kJfif + jpegSegment(0xE1, block));
      const size_t exifEnd = 2 + kJfif.size() + block.size() + 4;
      for (size_t size = 0; size <= file.size(); ++size)
        EXPECT_EQ(jpegOrientation(file.data(), size), size < exifEnd ? kNoOrientation : value)
            << size;
    }
  }
}

TEST(ExifOrientation, MalformedBlocksAndSegmentsWalkedAmissMeanNoOrientation) {
  const Bytes sound = exifWithOrientation(6), big = exifWithOrientation(6, true);
  // IFD0 without the orientation links to IFD1 (the thumbnail's, holding one), which links back.
  Bytes looped =
      patched(sound, 28, {0x13}) + Bytes{1, 0, 0x12, 1, 3, 0, 1, 0, 0, 0, 3, 0, 0, 0, 8, 0, 0, 0};
  looped[40] = 44 - 6;
  auto inFile = [](const Bytes& block) { return jpegHead(jpegSegment(0xE1, block)); };
  const Bytes exif = jpegSegment(0xE1, exifWithOrientation(5));
  const Bytes xmp = jpegSegment(0xE1, {'h', 't', 't', 'p', ':', '/', '/', 0});
  const std::tuple<const char*, Bytes, int> cases[] = {
      {"half a little-endian byte order", inFile(patched(sound, 6, {'I', 'X'})), kNoOrientation},
      {"half a big-endian byte order", inFile(patched(big, 6, {'M', 'X'})), kNoOrientation},
      {"not TIFF", inFile(patched(sound, 8, {43})), kNoOrientation},
      {"more entries than the block holds", inFile(patched(sound, 14, {3})), kNoOrientation},
      {"wrong type", inFile(patched(sound, 30, {4})), kNoOrientation},
      {"two values", inFile(patched(sound, 32, {2})), kNoOrientation},
      {"2^31 + 1 values", inFile(patched(sound, 32, {1, 0, 0, 0x80})), kNoOrientation},
      {"2^31 + 1 values, big-endian", inFile(patched(big, 32, {0x80, 0, 0, 1})), kNoOrientation},
      {"value 9", inFile(patched(sound, 36, {9})), kNoOrientation},
      {"no orientation tag", inFile(patched(sound, 28, {0x13})), kNoOrientation},
      {"only the thumbnail's", inFile(looped), kNoOrientation},
      {"after XMP and a profile", jpegHead(xmp + jpegSegment(0xE2, Bytes(3000, 7)) + exif), 5},
      {"only after the scan", jpegHead(kJfif) + exif, kNoOrientation},
      {"no start marker", patched(jpegHead(exif), 1, {0xE1}), kNoOrientation},
      {"fill bytes before a marker", jpegHead(Bytes{0xFF, 0xFF} + kJfif + exif), 5},
      {"after restart markers", jpegHead(Bytes{0xFF, 0xD0, 0xFF, 0xD7} + exif), 5},
      {"after an empty segment", jpegHead(Bytes{0xFF, 0xE0, 0, 2} + exif), 5},
      {"after an empty Exif block, which counts",
       jpegHead(jpegSegment(0xE1, Bytes{'E', 'x', 'i', 'f', 0, 0}) + exif), kNoOrientation},
      {"a length that counts less than itself",
       jpegHead(Bytes{0xFF, 0xE1, 0, 1} + exifWithOrientation(5)), kNoOrientation},
      {"only fill bytes", Bytes{0xFF, 0xD8, 0xFF, 0xFF}, kNoOrientation},
      {"bytes that are not a marker", jpegHead(Bytes{0x12, 0, 2} + exif), kNoOrientation},
  };
  for (const auto& [name, file, orientation] : cases)
    EXPECT_EQ(jpegOrientation(file.data(), file.size()), orientation) << name;
}

using Pixels = std::vector<uint32_t>;

Pixels shrink(const Pixels& source, int sourceWidth, int sourceHeight, int width, int height,
              int band = 0) {
  Pixels target(static_cast<size_t>(width) * height, 0xDEADBEEF);
  AreaShrinker shrinker(sourceWidth, sourceHeight, width, height, target.data());
  const int rows = band > 0 ? band : sourceHeight;
  for (int top = 0; top < sourceHeight; top += rows)
    shrinker.addRows(source.data() + static_cast<size_t>(top) * sourceWidth,
                     std::min(rows, sourceHeight - top), static_cast<size_t>(sourceWidth));
  EXPECT_TRUE(shrinker.done());
  shrinker.addRows(source.data(), 1, static_cast<size_t>(sourceWidth));  // one too many: ignored
  target.resize(static_cast<size_t>(shrinker.width()) * shrinker.height());
  return target;
}

Pixels greys(Pixels levels) {
  for (uint32_t& level : levels) level *= 0x01010101u;
  return levels;
}

TEST(TurnPixels, EachOrientationShowsThePictureAsTheExifStandardDescribesIt) {
  // Stored 3 x 2: a b c above d e f; each case shows them, row by row, as seen.
  const Pixels stored = {'a', 'b', 'c', 'd', 'e', 'f'};
  for (const auto& [orientation, shown] : {
           std::pair<int, Pixels>{1, {'a', 'b', 'c', 'd', 'e', 'f'}},  // as stored
           {2, {'c', 'b', 'a', 'f', 'e', 'd'}},  // 0th row at the top, 0th column at the right
           {3, {'f', 'e', 'd', 'c', 'b', 'a'}},  // 0th row at the bottom, 0th column at the right
           {4, {'d', 'e', 'f', 'a', 'b', 'c'}},  // 0th row at the bottom, 0th column at the left
           {5, {'a', 'd', 'b', 'e', 'c', 'f'}},  // 0th row at the left, 0th column at the top
           {6, {'d', 'a', 'e', 'b', 'f', 'c'}},  // 0th row at the right, 0th column at the top
           {7, {'f', 'c', 'e', 'b', 'd', 'a'}},  // 0th row at the right, 0th column at the bottom
           {8, {'c', 'f', 'b', 'e', 'a', 'd'}},  // 0th row at the left, 0th column at the bottom
           {0, {'a', 'b', 'c', 'd', 'e', 'f'}},  // no orientation: as stored
       }) {
    Pixels got(stored.size());
    turnPixels(stored.data(), 3, 2, orientation, got.data());
    EXPECT_EQ(got, shown) << "orientation " << orientation;
  }
}

TEST(AreaShrinker, EachChannelOfAPixelIsTheMeanOfTheAreaItCoversAndNeverEnlarges) {
  const uint32_t kEven = 0x00C08040;
  // A source, its width and height, the width and height asked, and what it is shrunk to.
  const std::tuple<Pixels, int, int, int, int, Pixels> cases[] = {
      {greys({0, 4, 100, 100, 8, 12, 100, 100, 10, 10, 255, 255, 30, 30, 0, 0}), 4, 4, 2, 2,
       greys({6, 100, 20, 128})},
      // The middle pixel is shared half and half: (0 + 90 / 2) / 1.5 = 30.
      {greys({0, 90, 180}), 3, 1, 2, 1, greys({30, 150})},
      {greys({0, 90, 180}), 1, 3, 1, 2, greys({30, 150})},
      {{0xFFFF0001, 0x0100FF03}, 2, 1, 1, 1, {0x80808002}},
      {{1, 2, 3, 4, 5, 6}, 3, 2, 6, 4, {1, 2, 3, 4, 5, 6}},  // the shrinker sizes the result
      // An even colour stays exactly that colour at any size.
      {Pixels(640 * 3, kEven), 640, 3, 1, 1, Pixels(1, kEven)},
      {Pixels(1000 * 7, kEven), 1000, 7, 999, 6, Pixels(999 * 6, kEven)},
      {Pixels(37 * 41, kEven), 37, 41, 36, 13, Pixels(36 * 13, kEven)},
      {Pixels(5 * 5, kEven), 5, 5, 5, 1, Pixels(5, kEven)},
  };
  for (const auto& [source, sourceWidth, sourceHeight, width, height, shrunk] : cases)
    EXPECT_EQ(shrink(source, sourceWidth, sourceHeight, width, height), shrunk)
        << sourceWidth << "x" << sourceHeight << " to " << width << "x" << height;
}

// Each target pixel straight from its definition: the source pixels' overlaps with it, measured
// where a source pixel is as long as the target is wide (high) and a target pixel as the source.
Pixels areaMeans(const Pixels& source, int sourceWidth, int sourceHeight, int width, int height) {
  // The length of [from, from + length) inside [start, start + size).
  auto overlap = [](int64_t from, int64_t length, int64_t start, int64_t size) {
    return std::max<int64_t>(0, std::min(from + length, start + size) - std::max(from, start));
  };
  const uint64_t area = uint64_t(sourceWidth) * sourceHeight;
  Pixels target(size_t(width) * height, 0);
  for (size_t t = 0; t < target.size(); ++t) {
    uint64_t sums[4] = {};
    for (size_t s = 0; s < source.size(); ++s) {
      const uint64_t weight = uint64_t(overlap(int64_t(s / sourceWidth) * height, height,
                                               int64_t(t / width) * sourceHeight, sourceHeight) *
                                       overlap(int64_t(s % sourceWidth) * width, width,
                                               int64_t(t % width) * sourceWidth, sourceWidth));
      for (int c = 0; weight > 0 && c < 4; ++c) sums[c] += weight * (source[s] >> 8 * c & 255);
    }
    for (int c = 0; c < 4; ++c) target[t] |= uint32_t((sums[c] + area / 2) / area) << 8 * c;
  }
  return target;
}

TEST(AreaShrinker, EveryPixelIsTheRoundedMeanOfItsAreaAtAnyRatioInBandsOfAnyHeight) {
  std::mt19937 random(11);
  // A source's width and height, and those it is shrunk to.
  const std::tuple<int, int, int, int> sizes[] = {
      {123, 97, 40, 31}, {97, 123, 31, 40}, {60, 40, 59, 39},
      {250, 7, 3, 2},    {9, 700, 2, 1},  // more rows to a target row than 16-bit lanes hold
      {641, 1, 640, 1},  {1, 5, 1, 2},      {301, 200, 7, 5},
  };
  for (const auto& [sourceWidth, sourceHeight, width, height] : sizes) {
    Pixels source(size_t(sourceWidth) * sourceHeight);
    // Mostly white where many rows meet, so that a lane holding too many would overflow.
    const uint32_t white = sourceHeight > 256 ? 63 : 1;
    for (uint32_t& pixel : source) pixel = random() | (random() & white ? 0xFFFFFFFF : 0);
    const Pixels means = areaMeans(source, sourceWidth, sourceHeight, width, height);
    for (int band : {1, 2, 3, 13, 96, 0})
      EXPECT_EQ(shrink(source, sourceWidth, sourceHeight, width, height, band), means)
          << sourceWidth << "x" << sourceHeight << " to " << width << "x" << height
          << " in bands of " << band;
  }
}

// The SSE2 loops run wherever the processor has them, so the shrinker's rows above try those
// here; the plain ones, for processors without, must give the very same.
TEST(PixelLanes, ThePlainLoopsGiveWhatTheSse2OnesGive) {
#if defined(__x86_64__) || defined(_M_X64)
  EXPECT_TRUE(lanes::haveSse2());  // every 64-bit x86 has it
#endif
  if (!lanes::haveSse2()) GTEST_SKIP() << "this processor has no SSE2";
  std::mt19937 random(5);
  for (int width : {1, 3, 4, 7, 64, 1001}) {
    Pixels row(size_t(width) * 2), plain(row.size()), sse2;
    for (size_t x = 0; x < row.size(); ++x) row[x] = random(), plain[x] = random() & 0x7FFF7FFF;
    sse2 = plain;
    for (bool two : {true, false}) {  // a second row, then none
      lanes::addPlain(plain.data(), row.data(), two ? row.data() + width : nullptr, width);
      lanes::addSse2(sse2.data(), row.data(), two ? row.data() + width : nullptr, width);
    }
    EXPECT_EQ(sse2, plain) << width;
  }
  // Across: 10 source columns to 4 target pixels (last columns 2, 4, 7, 9), lanes of 2 rows.
  const std::vector<int> lastColumns = {2, 4, 7, 9};
  const std::vector<uint32_t> lastShares = {2, 4, 2, 4};
  const lanes::Across shape{lastColumns.data(), lastShares.data(), 4, 4};
  Pixels lanesAcross(20);
  for (uint32_t& lane : lanesAcross) lane = random() & 0x01FF01FF;
  for (uint32_t rest : {0u, 3u}) {
    std::vector<uint64_t> plain(32, 7), sse2 = plain;
    lanes::acrossPlain(lanesAcross.data(), shape, 5, rest, plain.data(), plain.data() + 16);
    lanes::acrossSse2(lanesAcross.data(), shape, 5, rest, sse2.data(), sse2.data() + 16);
    EXPECT_EQ(sse2, plain) << rest;
  }
  // Means: at the edges of rounding, for areas small and large (shifted before the reciprocal).
  for (uint32_t area : {2u, 3u, 1000u, 24000000u, 150000001u}) {
    std::vector<uint64_t> sums;
    for (uint64_t level : {0, 1, 127, 128, 254, 255})
      for (int64_t off : {-1, 0, 1, 2})
        sums.push_back(uint64_t(std::clamp<int64_t>(int64_t(level * area) - int64_t(area / 2) + off,
                                                    0, int64_t(255) * area)));
    Pixels plain(sums.size() / 4), sse2(plain.size()), exact(plain.size(), 0);
    lanes::meansPlain(sums.data(), int(plain.size()), lanes::divisorOf(area), plain.data());
    lanes::meansSse2(sums.data(), int(sse2.size()), lanes::divisorOf(area), sse2.data());
    for (size_t i = 0; i < sums.size(); ++i)
      exact[i / 4] |= uint32_t((sums[i] + area / 2) / area) << 8 * (i % 4);
    EXPECT_EQ(std::tie(plain, sse2), std::tie(exact, exact)) << area;
  }
}

}  // namespace
}  // namespace qm

// What the loader reads of a picture file before any decoder sees it: the declared size of good
// files of every kind, and the refusal of truncated, lying and overflowing headers.
#include "toolkit/picture_header.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/common/picture_files.h"

namespace qm {
namespace {

using namespace qm::test_files;

// A file in memory that records how far it was read and whether a read passed its end.
class MemoryFile : public ByteSource {
 public:
  explicit MemoryFile(Bytes bytes) : bytes_(std::move(bytes)) {}
  uint64_t size() const override { return bytes_.size(); }
  bool read(uint64_t offset, size_t length, uint8_t* out) override {
    if (offset > bytes_.size() || length > bytes_.size() - offset) {
      overreached = true;
      return false;
    }
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), length, out);
    furthest = std::max<uint64_t>(furthest, offset + length);
    bytesRead += length;
    return true;
  }
  bool overreached = false;
  uint64_t furthest = 0;
  uint64_t bytesRead = 0;

 private:
  Bytes bytes_;
};

Bytes gifHeaderOnly(uint16_t width, uint16_t height) { return gifFile(width, height, {}, false); }

Bytes withLength(Bytes bytes, size_t length) {
  bytes.resize(length);
  return bytes;
}

struct GoodCase {
  const char* name;
  Bytes bytes;
  PictureFormat format;
  uint32_t width, height;
};

TEST(PictureHeader, GoodFilesOfEachKindDeclareTheirSize) {
  const Bytes ramp = bmpPalette256();
  const GoodCase cases[] = {
      {"grey JPEG", jpegFile(100, 60), PictureFormat::kJpeg, 100, 60},
      {"4:2:0 JPEG", jpegFile(333, 222, 3), PictureFormat::kJpeg, 333, 222},
      {"JPEG, fill bytes and stray bytes before markers, restart marker",
       kJpegStart + Bytes{0xFF, 0xFF, 0xFF} + jfifSegment() + Bytes{0x12, 0x34, 0xFF, 0x00} +
           jpegTables() + Bytes{0xFF, 0xD3} + jpegFrame(640, 480, 3) +
           Bytes(jpegFlatDataBytes(640, 480, 3), 0),
       PictureFormat::kJpeg, 640, 480},
      {"progressive JPEG", kJpegStart + jpegFrame(512, 256, 3, 0xC2) + Bytes(1000, 0),
       PictureFormat::kJpeg, 512, 256},
      {"arithmetic JPEG: the memory bound only", kJpegStart + jpegFrame(8000, 8000, 1, 0xC9),
       PictureFormat::kJpeg, 8000, 8000},
      {"GIF", gifFile(30, 20, {gifSolidImage(30, 20, 1)}), PictureFormat::kGif, 30, 20},
      {"GIF image smaller than its screen, after extensions",
       gifFile(300, 300,
               {gifExtension(0xFE, Bytes(600, 'c')), gifExtension(0xF9, {0, 0, 0, 0}),
                gifSolidImage(40, 50, 2)}),
       PictureFormat::kGif, 40, 50},
      {"core BMP", bmpFile(bmpInfoHeader(3, 2, 24, kBmpRgb, 12), {}, Bytes(24, 0)),
       PictureFormat::kBmp, 3, 2},
      {"OS/2 BMP, 16-byte header", bmpFile(bmpInfoHeader(5, 4, 8, kBmpRgb, 16), ramp, Bytes(32, 0)),
       PictureFormat::kBmp, 5, 4},
      {"OS/2 BMP, 64-byte header", bmpFile(bmpInfoHeader(5, 4, 8, kBmpRgb, 64), ramp, Bytes(32, 0)),
       PictureFormat::kBmp, 5, 4},
      {"info BMP, 1 bit", bmpFile(bmpInfoHeader(33, 3, 1), Bytes(8, 0), Bytes(24, 0)),
       PictureFormat::kBmp, 33, 3},
      {"top-down BMP", bmpFile(bmpInfoHeader(7, -9, 24), {}, Bytes(24 * 9, 0)), PictureFormat::kBmp,
       7, 9},
      {"V2 BMP, bit fields", bmpFile(bmpInfoHeader(4, 4, 16, kBmpBitfields, 52), {}, Bytes(32, 0)),
       PictureFormat::kBmp, 4, 4},
      {"V3 BMP", bmpFile(bmpInfoHeader(4, 4, 32, kBmpBitfields, 56), {}, Bytes(64, 0)),
       PictureFormat::kBmp, 4, 4},
      {"V4 BMP", bmpFile(bmpInfoHeader(4, 4, 32, kBmpRgb, 108), {}, Bytes(64, 0)),
       PictureFormat::kBmp, 4, 4},
      {"V5 BMP", bmpFile(bmpInfoHeader(4, 4, 32, kBmpRgb, 124), {}, Bytes(64, 0)),
       PictureFormat::kBmp, 4, 4},
      {"BMP without the last row's padding",
       withLength(bmpFile(bmpInfoHeader(3, 3, 8), ramp, Bytes(12, 0)), 14 + 40 + 1024 + 11),
       PictureFormat::kBmp, 3, 3},
      {"RLE8 BMP", bmpFile(bmpInfoHeader(300, 20, 8, kBmpRle8), ramp, bmpRle8Rows(300, 20, 9)),
       PictureFormat::kBmp, 300, 20},
      {"RLE4 BMP", bmpFile(bmpInfoHeader(300, 20, 4, 2), Bytes(64, 0), bmpRle8Rows(300, 20, 0x12)),
       PictureFormat::kBmp, 300, 20},
  };
  for (const GoodCase& good : cases) {
    MemoryFile file(good.bytes);
    const PictureHeader header = readPictureHeader(file);
    EXPECT_TRUE(header.accepted()) << good.name << ": " << describe(header.refusal);
    EXPECT_EQ(header.format, good.format) << good.name;
    EXPECT_EQ(header.width, good.width) << good.name;
    EXPECT_EQ(header.height, good.height) << good.name;
    EXPECT_FALSE(file.overreached) << good.name;
  }
}

// The most compact real coding of each format passes at a large size; a quarter of it does not.
TEST(PictureHeader, TheLeastBytesRuleLetsTheDensestRealFilesPass) {
  const Bytes flatGif = gifLzw(Bytes(size_t{2000} * 2000, 0), 2);
  const Bytes rle = bmpRle8Rows(11000, 11000, 7);
  struct {
    const char* name;
    Bytes dense, quarter;
  } cases[] = {
      {"JPEG 4:2:0", jpegFile(12000, 8000, 3),
       jpegFile(12000, 8000, 3, jpegFlatDataBytes(12000, 8000, 3) / 4)},
      {"grey JPEG", jpegFile(8000, 8000, 1), jpegFile(8000, 8000, 1, 8000 * 8000 / 64 / 4 / 4)},
      {"GIF", gifFile(2000, 2000, {gifImage(2000, 2000, flatGif)}),
       gifFile(2000, 2000, {gifImage(2000, 2000, withLength(flatGif, flatGif.size() / 4))})},
      {"RLE8 BMP", bmpFile(bmpInfoHeader(11000, 11000, 8, kBmpRle8), bmpPalette256(), rle),
       bmpFile(bmpInfoHeader(11000, 11000, 8, kBmpRle8), bmpPalette256(),
               withLength(rle, rle.size() / 4))},
  };
  for (const auto& sample : cases) {
    MemoryFile dense(sample.dense), quarter(sample.quarter);
    EXPECT_EQ(readPictureHeader(dense).refusal, Refusal::kNone) << sample.name;
    EXPECT_EQ(readPictureHeader(quarter).refusal, Refusal::kTooFewBytes) << sample.name;
  }
}

struct BadCase {
  const char* name;
  Bytes bytes;
  Refusal refusal;
};

TEST(PictureHeader, TruncatedLyingAndOverflowingHeadersAreRefused) {
  auto segment = [](uint8_t marker, uint32_t length) {
    Bytes out{0xFF, marker};
    put16be(out, length);
    return out;
  };
  Bytes badSampling = jpegFrame(64, 64, 1);
  badSampling[11] = 0x50;  // component 1: horizontal factor 5
  const Bytes comments = [] {
    Bytes out = kJpegStart;
    for (int i = 0; i < 5000; ++i) append(out, {0xFF, 0xFE, 0, 2});
    return out + jpegFrame(8, 8, 1) + Bytes(8, 0);
  }();
  const Bytes palette256 = bmpPalette256();
  const BadCase cases[] = {
      {"empty file", {}, Refusal::kUnknownFormat},
      {"PNG", {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0}, Refusal::kUnknownFormat},
      {"text", {'h', 'e', 'l', 'l', 'o', '\n'}, Refusal::kUnknownFormat},

      {"JPEG start alone", {0xFF, 0xD8, 0xFF}, Refusal::kTruncated},
      {"JPEG segment length past the end", kJpegStart + segment(0xE1, 0xFFFF) + Bytes(100, 0),
       Refusal::kTruncated},
      {"JPEG segment of length 0 (would loop)", kJpegStart + segment(0xE0, 0) + Bytes(64, 0xFF),
       Refusal::kMalformed},
      {"JPEG segment of length 1 (would step back)", kJpegStart + segment(0xE0, 1) + Bytes(64, 0),
       Refusal::kMalformed},
      {"JPEG frame header cut short", withLength(kJpegStart + jpegFrame(64, 64, 3), 14),
       Refusal::kTruncated},
      {"JPEG image data before any frame header", kJpegStart + jpegScanHeader(1) + Bytes(64, 0),
       Refusal::kMalformed},
      {"JPEG end before any frame header", kJpegStart + jfifSegment() + kJpegEnd,
       Refusal::kMalformed},
      {"JPEG of fill bytes without end", kJpegStart + Bytes(2 << 20, 0xFF), Refusal::kMalformed},
      {"JPEG of 5000 segments before its frame", comments, Refusal::kMalformed},
      {"JPEG frame length disagreeing with its components",
       kJpegStart + segment(0xC0, 11) + Bytes{8, 0, 8, 0, 8, 2, 1, 0x11, 0} + Bytes(64, 0),
       Refusal::kMalformed},
      {"JPEG sampling factor 5", kJpegStart + badSampling + Bytes(64, 0), Refusal::kMalformed},
      {"JPEG 0 wide", jpegFile(0, 64), Refusal::kEmpty},
      {"JPEG height left to a DNL segment", jpegFile(64, 0), Refusal::kEmpty},
      {"JPEG 65000 x 65000 in 291 bytes", jpegFile(65000, 65000, 3, 128), Refusal::kTooLarge},
      {"JPEG 65535 x 65535, 3 components", kJpegStart + jpegFrame(65535, 65535, 3),
       Refusal::kTooLarge},
      {"JPEG 8000 x 8000 in 200 bytes", jpegFile(8000, 8000, 1, 40), Refusal::kTooFewBytes},

      {"GIF header alone", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0}, Refusal::kTruncated},
      {"GIF palette past the end", withLength(gifHeaderOnly(10, 10), 20), Refusal::kTruncated},
      {"GIF sub-block past the end", withLength(gifFile(64, 64, {gifSolidImage(64, 64, 1)}), 60),
       Refusal::kTruncated},
      {"GIF extension never terminated", gifHeaderOnly(10, 10) + Bytes{0x21, 0xFE, 3, 'a', 'b'},
       Refusal::kTruncated},
      {"GIF trailer before any image", gifFile(10, 10, {}), Refusal::kMalformed},
      {"GIF junk instead of a block", gifHeaderOnly(10, 10) + Bytes{0x42, 0, 0},
       Refusal::kMalformed},
      {"GIF code size 12", gifFile(8, 8, {gifImage(8, 8, Bytes(40, 0), 12)}), Refusal::kMalformed},
      {"GIF image 0 high", gifFile(8, 8, {gifImage(8, 0, Bytes(4, 0))}), Refusal::kEmpty},
      {"GIF image 65535 x 65535", gifFile(8, 8, {gifImage(65535, 65535, Bytes(40, 0))}),
       Refusal::kTooLarge},
      {"GIF screen 65535 x 65535", gifFile(65535, 65535, {gifSolidImage(2, 2, 0)}),
       Refusal::kTooLarge},
      {"GIF 2000 x 2000 in 100 bytes of data",
       gifFile(2000, 2000, {gifImage(2000, 2000, Bytes(100, 0))}), Refusal::kTooFewBytes},

      {"BMP magic alone", {'B', 'M'}, Refusal::kTruncated},
      {"BMP info header cut short",
       withLength(bmpFile(bmpInfoHeader(4, 4, 32, 0, 124), {}, {}), 14 + 60), Refusal::kTruncated},
      {"BMP header of unknown size", bmpFile(bmpInfoHeader(4, 4, 24, 0, 200), {}, Bytes(48, 0)),
       Refusal::kMalformed},
      {"BMP negative width", bmpFile(bmpInfoHeader(-4, 4, 24), {}, Bytes(48, 0)),
       Refusal::kMalformed},
      {"BMP of 0 bits a pixel", bmpFile(bmpInfoHeader(4, 4, 0), {}, Bytes(64, 0)),
       Refusal::kMalformed},
      {"BMP 0 high", bmpFile(bmpInfoHeader(4, 0, 24), {}, {}), Refusal::kEmpty},
      {"core BMP 0 wide", bmpFile(bmpInfoHeader(0, 4, 24, kBmpRgb, 12), {}, {}), Refusal::kEmpty},
      {"BMP 2^31 - 1 wide", bmpFile(bmpInfoHeader(0x7FFFFFFF, 1, 1), {}, Bytes(64, 0)),
       Refusal::kTooLarge},
      {"BMP -2^31 high", bmpFile(bmpInfoHeader(1, INT32_MIN, 1), {}, Bytes(64, 0)),
       Refusal::kTooLarge},
      {"BMP 65536 x 65536, whose 4-byte size wraps to 0",
       bmpFile(bmpInfoHeader(65536, 65536, 32), {}, Bytes(64, 0)), Refusal::kTooLarge},
      {"core BMP 65535 x 65535", bmpFile(bmpInfoHeader(65535, 65535, 1, kBmpRgb, 12), {}, {}),
       Refusal::kTooLarge},
      {"BMP 4000 x 4000, 24 bits, half its rows",
       bmpFile(bmpInfoHeader(4000, 4000, 24), {}, Bytes(12000 * 2000, 0)), Refusal::kTooFewBytes},
      {"RLE8 BMP 11000 x 11000 in 1 KB",
       bmpFile(bmpInfoHeader(11000, 11000, 8, kBmpRle8), palette256, bmpRle8Rows(11000, 1, 7)),
       Refusal::kTooFewBytes},
      {"RLE4 BMP 11000 x 11000 in 1 KB",
       bmpFile(bmpInfoHeader(11000, 11000, 4, kBmpRle4), Bytes(64, 0), bmpRle8Rows(11000, 1, 7)),
       Refusal::kTooFewBytes},
  };
  for (const BadCase& bad : cases) {
    MemoryFile file(bad.bytes);
    const PictureHeader header = readPictureHeader(file);
    EXPECT_EQ(header.refusal, bad.refusal)
        << bad.name << ": " << describe(header.refusal) << " instead of " << describe(bad.refusal);
    EXPECT_FALSE(file.overreached) << bad.name;
  }
}

TEST(PictureHeader, AGifsFirstFrameEndsWhereTheSecondBeginsAndStandsAlone) {
  const Bytes before =
      gifFile(120, 90,
              {gifExtension(0xFF, {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 1, 0, 0}),
               gifSolidImage(120, 90, 1)},
              false);
  const Bytes later = gifExtension(0xF9, {4, 10, 0, 0}) + gifSolidImage(120, 90, 2);
  Bytes animation = before;
  for (int frame = 1; frame < 400; ++frame) append(animation, later);
  animation.push_back(0x3B);

  MemoryFile file(animation);
  const PictureHeader header = readPictureHeader(file);
  ASSERT_TRUE(header.accepted()) << describe(header.refusal);
  EXPECT_EQ(header.firstFrameEnd, before.size());
  EXPECT_LE(file.furthest, before.size()) << "read into the later frames";

  MemoryFile alone(before + Bytes{0x3B});
  const PictureHeader first = readPictureHeader(alone);
  EXPECT_TRUE(first.accepted());
  EXPECT_EQ(first.firstFrameEnd, before.size());
  EXPECT_EQ(first.width, 120u);
  EXPECT_EQ(first.height, 90u);
}

TEST(PictureHeader, OnlyTheHeaderIsReadOfALargeFile) {
  MemoryFile jpeg(jpegFile(6000, 4000, 3));
  MemoryFile bmp(bmpFile(bmpInfoHeader(2000, 1000, 24), {}, Bytes(6000 * 1000, 0)));
  for (MemoryFile* file : {&jpeg, &bmp}) {
    EXPECT_TRUE(readPictureHeader(*file).accepted());
    EXPECT_LT(file->bytesRead, 512u) << "of " << file->size();
  }
}

TEST(PictureHeader, TheMemoryBoundAdmitsA100MegapixelPhotoAndNoProductThatWraps) {
  struct {
    uint64_t width, height;
    bool fits;
  } cases[] = {
      {11648, 8736, true},                  // a 100-megapixel camera
      {uint64_t{1} << 27, 1, true},         // exactly the bound
      {(uint64_t{1} << 27) + 1, 1, false},  // one pixel over
      {1, uint64_t{1} << 27, true},
      {12000, 12000, false},
      {65000, 65000, false},
      {uint64_t{1} << 32, uint64_t{1} << 32, false},  // the product wraps to 0 in 64 bits
      {uint64_t{1} << 62, 4, false},                  // so does the product times 4
  };
  for (const auto& sample : cases)
    EXPECT_EQ(decodedSizeFits(sample.width, sample.height), sample.fits)
        << sample.width << " x " << sample.height;
}

}  // namespace
}  // namespace qm

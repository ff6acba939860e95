// What the loader reads of a picture file before any decoder sees it: the declared size of good
// files of every kind, and the refusal of truncated, lying and overflowing headers.
#include "toolkit/picture_header.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/common/picture_files.h"

namespace qm {
namespace {

using namespace qm::test_files;

// A file in memory that records how much of it was read, and whether a read passed its end.
class MemoryFile : public ByteSource {
 public:
  explicit MemoryFile(Bytes bytes) : bytes_(std::move(bytes)) {}
  uint64_t size() const override { return bytes_.size(); }
  bool read(uint64_t offset, size_t length, uint8_t* out) override {
    overreached |= offset > bytes_.size() || length > bytes_.size() - offset;
    if (overreached) return false;
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), length, out);
    furthest = std::max<uint64_t>(furthest, offset + length);
    bytesRead += length;
    return true;
  }
  bool overreached = false;
  uint64_t furthest = 0, bytesRead = 0;

 private:
  Bytes bytes_;
};

constexpr auto kBmp = PictureFormat::kBmp, kJpeg = PictureFormat::kJpeg, kGif = PictureFormat::kGif;
const Bytes kPalette(1024, 0);

// The densest real codings of each format: a flat picture.
const Bytes kFlatGif = gifSolidLzw(2000 * 2000, 1);
const Bytes kRle = bmpRle8Rows(11000, 11000, 7);

TEST(PictureHeader, GoodFilesOfEachKindDeclareTheirSize) {
  struct {
    const char* name;
    Bytes bytes;
    PictureFormat format;
    uint32_t width, height;
  } cases[] = {
      {"grey JPEG", jpegFile(100, 60), kJpeg, 100, 60},
      {"4:2:0 JPEG, the least data", jpegFile(12000, 8000, 3), kJpeg, 12000, 8000},
      {"grey JPEG, the least data", jpegFile(8000, 8000), kJpeg, 8000, 8000},
      {"JPEG, fill bytes and stray bytes before markers, restart marker",
       kJpegStart + Bytes{0xFF, 0xFF, 0xFF} + kJfif + Bytes{0x12, 0x34, 0xFF, 0x00} + jpegTables() +
           Bytes{0xFF, 0xD3} + jpegFrame(640, 480, 3) + Bytes(jpegFlatBytes(640, 480, 3), 0),
       kJpeg, 640, 480},
      {"progressive JPEG", kJpegStart + jpegFrame(512, 256, 3, 0xC2) + Bytes(1000, 0), kJpeg, 512,
       256},
      {"arithmetic JPEG at the memory bound, no data", kJpegStart + jpegFrame(16384, 8192, 1, 0xC9),
       kJpeg, 16384, 8192},
      {"GIF", gifFile(30, 20, gifSolid(30, 20, 1)), kGif, 30, 20},
      {"GIF image smaller than its screen, after extensions",
       gifFile(300, 300, gifExtension(0xFE, Bytes(600, 'c')) + gifSolid(40, 50, 2)), kGif, 40, 50},
      {"GIF 2000 x 2000, the least data", gifFile(2000, 2000, gifImage(2000, 2000, kFlatGif)), kGif,
       2000, 2000},
      {"core BMP", bmpFile(bmpInfo(3, 2, 24, kBmpRgb, 12), {}, Bytes(24, 0)), kBmp, 3, 2},
      {"OS/2 BMP, 16-byte header", bmpFile(bmpInfo(5, 4, 8, kBmpRgb, 16), kPalette, Bytes(32, 0)),
       kBmp, 5, 4},
      {"OS/2 BMP, 64-byte header", bmpFile(bmpInfo(5, 4, 8, kBmpRgb, 64), kPalette, Bytes(32, 0)),
       kBmp, 5, 4},
      {"1-bit BMP", bmpFile(bmpInfo(33, 3, 1), Bytes(8, 0), Bytes(24, 0)), kBmp, 33, 3},
      {"top-down BMP", bmpFile(bmpInfo(7, -9, 24), {}, Bytes(24 * 9, 0)), kBmp, 7, 9},
      {"V2 BMP, bit fields", bmpFile(bmpInfo(4, 4, 16, kBmpBitfields, 52), {}, Bytes(32, 0)), kBmp,
       4, 4},
      {"V3 BMP", bmpFile(bmpInfo(4, 4, 32, kBmpBitfields, 56), {}, Bytes(64, 0)), kBmp, 4, 4},
      {"V4 BMP", bmpFile(bmpInfo(4, 4, 32, kBmpRgb, 108), {}, Bytes(64, 0)), kBmp, 4, 4},
      {"V5 BMP", bmpFile(bmpInfo(4, 4, 32, kBmpRgb, 124), {}, Bytes(64, 0)), kBmp, 4, 4},
      {"BMP without the last row's padding",
       cut(bmpFile(bmpInfo(3, 3, 8), kPalette, {}), 14 + 40 + 1024 + 11), kBmp, 3, 3},
      {"RLE4 BMP", bmpFile(bmpInfo(300, 20, 4, kBmpRle4), Bytes(64, 0), bmpRle8Rows(300, 20, 0x12)),
       kBmp, 300, 20},
      {"RLE8 BMP 11000 x 11000, the least data",
       bmpFile(bmpInfo(11000, 11000, 8, kBmpRle8), kPalette, kRle), kBmp, 11000, 11000},
  };
  for (const auto& good : cases) {
    MemoryFile file(good.bytes);
    const PictureHeader header = readPictureHeader(file);
    EXPECT_TRUE(header.accepted()) << good.name << ": " << describe(header.refusal);
    EXPECT_EQ(header.format, good.format) << good.name;
    EXPECT_EQ(header.width, good.width) << good.name;
    EXPECT_EQ(header.height, good.height) << good.name;
    EXPECT_FALSE(file.overreached) << good.name;
    EXPECT_LT(file.bytesRead, 512u) << good.name << ": more than its header read";
  }
}

TEST(PictureHeader, TruncatedLyingAndOverflowingHeadersAreRefused) {
  auto segment = [](uint8_t marker, uint32_t length) { return Bytes{0xFF, marker} + be16(length); };
  Bytes badSampling = jpegFrame(64, 64);
  badSampling[11] = 0x50;  // horizontal factor 5
  Bytes comments = kJpegStart;
  for (int i = 0; i < 5000; ++i) comments.insert(comments.end(), {0xFF, 0xFE, 0, 2});
  const Bytes gifHeader = gifFile(10, 10, {}, false);
  const struct {
    const char* name;
    Bytes bytes;
    Refusal refusal;
  } cases[] = {
      {"empty file", {}, Refusal::kUnknownFormat},
      {"PNG", {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0}, Refusal::kUnknownFormat},

      {"JPEG start alone", {0xFF, 0xD8, 0xFF}, Refusal::kTruncated},
      {"JPEG length past the end", kJpegStart + segment(0xE1, 0xFFFF) + Bytes(100, 0),
       Refusal::kTruncated},
      {"JPEG length 0 (would loop)", kJpegStart + segment(0xE0, 0) + Bytes(64, 0xFF),
       Refusal::kMalformed},
      {"JPEG length 1 (would step back)", kJpegStart + segment(0xE0, 1) + Bytes(64, 0),
       Refusal::kMalformed},
      {"JPEG frame header cut short", cut(kJpegStart + jpegFrame(64, 64, 3), 14),
       Refusal::kTruncated},
      {"JPEG image data before any frame", kJpegStart + jpegScan(1) + Bytes(64, 0),
       Refusal::kMalformed},
      {"JPEG end before any frame", kJpegStart + kJfif + Bytes{0xFF, 0xD9}, Refusal::kMalformed},
      {"JPEG of fill bytes without end", kJpegStart + Bytes(2 << 20, 0xFF), Refusal::kMalformed},
      {"JPEG of 5000 segments before its frame", comments + jpegFrame(8, 8) + Bytes(8, 0),
       Refusal::kMalformed},
      {"JPEG frame length disagreeing with its components",
       kJpegStart + segment(0xC0, 11) + Bytes{8, 0, 8, 0, 8, 2, 1, 0x11, 0} + Bytes(64, 0),
       Refusal::kMalformed},
      {"JPEG sampling factor 5", kJpegStart + badSampling + Bytes(64, 0), Refusal::kMalformed},
      {"JPEG 0 wide", jpegFile(0, 64), Refusal::kEmpty},
      {"JPEG height left to a DNL segment", jpegFile(64, 0), Refusal::kEmpty},
      {"JPEG 65000 x 65000 in 291 bytes", jpegFile(65000, 65000, 3, 128), Refusal::kTooLarge},
      {"arithmetic JPEG one row past the memory bound",
       kJpegStart + jpegFrame(16384, 8193, 1, 0xC9), Refusal::kTooLarge},
      {"4:2:0 JPEG, a quarter of the least data",
       jpegFile(12000, 8000, 3, jpegFlatBytes(12000, 8000, 3) / 4), Refusal::kTooFewBytes},
      {"grey JPEG, a quarter of the least data", jpegFile(8000, 8000, 1, 8000 * 8000 / 1024),
       Refusal::kTooFewBytes},

      {"GIF header alone", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0}, Refusal::kTruncated},
      {"GIF palette past the end", cut(gifHeader, 20), Refusal::kTruncated},
      {"GIF sub-block past the end", cut(gifFile(64, 64, gifSolid(64, 64, 1)), 60),
       Refusal::kTruncated},
      {"GIF extension never ended", gifHeader + Bytes{0x21, 0xFE, 3, 'a', 'b'},
       Refusal::kTruncated},
      {"GIF trailer before any image", gifFile(10, 10, {}), Refusal::kMalformed},
      {"GIF junk instead of a block", gifHeader + Bytes{0x42, 0, 0}, Refusal::kMalformed},
      {"GIF code size 12", gifFile(8, 8, gifImage(8, 8, Bytes(40, 0), 12)), Refusal::kMalformed},
      {"GIF image 0 high", gifFile(8, 8, gifImage(8, 0, Bytes(4, 0))), Refusal::kEmpty},
      {"GIF image 65535 x 65535", gifFile(8, 8, gifImage(65535, 65535, Bytes(40, 0))),
       Refusal::kTooLarge},
      {"GIF screen 65535 x 65535", gifFile(65535, 65535, gifSolid(2, 2, 0)), Refusal::kTooLarge},
      {"GIF 2000 x 2000, a quarter of the least data",
       gifFile(2000, 2000, gifImage(2000, 2000, cut(kFlatGif, kFlatGif.size() / 4))),
       Refusal::kTooFewBytes},

      {"BMP magic alone", {'B', 'M'}, Refusal::kTruncated},
      {"BMP info header cut short", cut(bmpFile(bmpInfo(4, 4, 32, 0, 124), {}, {}), 74),
       Refusal::kTruncated},
      {"BMP header of unknown size", bmpFile(bmpInfo(4, 4, 24, 0, 200), {}, Bytes(48, 0)),
       Refusal::kMalformed},
      {"BMP negative width", bmpFile(bmpInfo(-4, 4, 24), {}, Bytes(48, 0)), Refusal::kMalformed},
      {"BMP of 0 bits a pixel", bmpFile(bmpInfo(4, 4, 0), {}, Bytes(64, 0)), Refusal::kMalformed},
      {"BMP 0 high", bmpFile(bmpInfo(4, 0, 24), {}, {}), Refusal::kEmpty},
      {"core BMP 0 wide", bmpFile(bmpInfo(0, 4, 24, kBmpRgb, 12), {}, {}), Refusal::kEmpty},
      {"BMP 2^31 - 1 wide", bmpFile(bmpInfo(INT32_MAX, 1, 1), {}, Bytes(64, 0)),
       Refusal::kTooLarge},
      {"BMP -2^31 high", bmpFile(bmpInfo(1, INT32_MIN, 1), {}, Bytes(64, 0)), Refusal::kTooLarge},
      {"BMP 65536 x 65536, whose 4-byte size wraps to 0",
       bmpFile(bmpInfo(65536, 65536, 32), {}, Bytes(64, 0)), Refusal::kTooLarge},
      {"core BMP 65535 x 65535", bmpFile(bmpInfo(65535, 65535, 1, kBmpRgb, 12), {}, {}),
       Refusal::kTooLarge},
      {"BMP 400 x 400, 24 bits, half its rows",
       bmpFile(bmpInfo(400, 400, 24), {}, Bytes(1200 * 200, 0)), Refusal::kTooFewBytes},
      {"RLE8 BMP 11000 x 11000, a quarter of the least data",
       bmpFile(bmpInfo(11000, 11000, 8, kBmpRle8), kPalette, cut(kRle, kRle.size() / 4)),
       Refusal::kTooFewBytes},
      {"RLE4 BMP 11000 x 11000 in 1 KB",
       bmpFile(bmpInfo(11000, 11000, 4, kBmpRle4), Bytes(64, 0), bmpRle8Rows(11000, 1, 7)),
       Refusal::kTooFewBytes},
  };
  for (const auto& bad : cases) {
    MemoryFile file(bad.bytes);
    const PictureHeader header = readPictureHeader(file);
    EXPECT_EQ(header.refusal, bad.refusal)
        << bad.name << ": " << describe(header.refusal) << " instead of " << describe(bad.refusal);
    EXPECT_FALSE(file.overreached) << bad.name;
  }
}

TEST(PictureHeader, AGifsFirstFrameEndsWhereTheSecondBeginsAndIsReadNoFurther) {
  MemoryFile animation(gifAnimation(120, 90, 400));
  const PictureHeader header = readPictureHeader(animation);
  ASSERT_TRUE(header.accepted()) << describe(header.refusal);
  EXPECT_EQ(header.firstFrameEnd, gifAnimation(120, 90, 1).size() - 1);  // before the trailer
  EXPECT_LE(animation.furthest, header.firstFrameEnd);
}

TEST(PictureHeader, TheMemoryBoundAdmitsA100MegapixelPhotoAndNoProductThatWraps) {
  const struct {
    uint64_t width, height;
    bool fits;
  } cases[] = {{11648, 8736, true},
               {1 << 27, 1, true},
               {(1 << 27) + 1, 1, false},
               {1, (1 << 27) + 1, false},
               {1ull << 32, 1ull << 32, false}};  // wraps to 0
  for (const auto& sample : cases)
    EXPECT_EQ(decodedSizeFits(sample.width, sample.height), sample.fits)
        << sample.width << " x " << sample.height;
}

}  // namespace
}  // namespace qm

// What the loader reads of a picture file before any decoder sees it, and what it refuses.
#include "toolkit/picture_header.h"

#include <gtest/gtest.h>

#include "tests/common/picture_files.h"

namespace qm {
namespace {

using namespace qm::test_files;

constexpr Refusal kUnknown = Refusal::kUnknownFormat, kTruncated = Refusal::kTruncated,
                  kMalformed = Refusal::kMalformed, kEmpty = Refusal::kEmpty,
                  kTooLarge = Refusal::kTooLarge, kTooFewBytes = Refusal::kTooFewBytes,
                  kUnsupported = Refusal::kUnsupported;
const Bytes kPalette(1024, 0);
// The densest real codings: flat pictures.
const Bytes kFlatGif = gifSolidLzw(2000 * 2000, 1), kRle = bmpRle8Rows(11000, 8000, 7),
            kRle8 = bmpInfo(11000, 8000, 8, kBmpRle8);
// Huffman-coded: a file of fewer bytes than one bit a block holds no picture.
const size_t kOneBitABlock = jpegFlatBytes(12000, 8000, 3) / 2;
// The least pixel data of a 401 x 400 BMP of 24 bits: its file, 54 bytes of headers included,
// holds its rows of 1204 bytes, the last unpadded.
const size_t kBmpLeast = 1204 * 399 + 1203 - 54;
// 255 x 256 pixels in a file of 1024 bytes, 78 of them headers.
const Bytes kOs2Rle24 = bmpInfo(255, 256, 24, 4, 64);
// A scan of all three components; 4:2:0 frames of 96 and 108 megapixels, the latter's flat data.
const Bytes kScan = jpegScan(3), k96 = kJpegStart + jpegFrame(12000, 8000, 3),
            k108 = kJpegStart + jpegFrame(12000, 9000, 3), k108Data(jpegFlatBytes(12000, 9000, 3));

// A file refused, or accepted as a picture of that format and size.
struct Case {
  Case(const char* n, Bytes b, Refusal r) : name(n), bytes(std::move(b)), refusal(r) {}
  Case(const char* n, Bytes b, PictureFormat f, uint32_t w, uint32_t h)
      : name(n), bytes(std::move(b)), format(f), width(w), height(h) {}
  const char* name;
  Bytes bytes;
  Refusal refusal = Refusal::kNone;
  PictureFormat format = kBmp;
  uint32_t width = 0, height = 0;
};

TEST(PictureHeader, GoodFilesDeclareTheirSizeAndTruncatedLyingOrOverflowingOnesAreRefused) {
  auto segment = [](uint8_t marker, int length) { return Bytes{0xFF, marker} + be(length, 2); };
  auto progressive = [](uint16_t width, uint16_t height) {
    return kJpegStart + jpegFrame(width, height, 3, 0xC2) + Bytes(jpegFlatBytes(width, height, 3));
  };
  auto sampled = [](uint8_t factors) {  // horizontal in the high four bits, vertical in the low
    return kJpegStart + patched(jpegFrame(64, 64), 11, {factors}) + Bytes(64);
  };
  Bytes comments;  // the most segments walked
  for (int i = 0; i < 4096; ++i) comments.insert(comments.end(), {0xFF, 0xFE, 0, 2});
  std::vector<Case> cases = {
      {"grey JPEG", jpegFile(100, 60), kJpeg, 100, 60},
      {"4:2:0 JPEG, one bit a block", cut(k96 + kScan, kOneBitABlock), kJpeg, 12000, 8000},
      {"JPEG, fill and stray bytes before markers, restart marker",
       kJpegStart + Bytes(3, 0xFF) + kJfif + Bytes{0x12, 0x34, 0xFF, 0x00, 0xFF, 0xD0, 0xFF, 0xD7} +
           jpegFrame(640, 480, 3) + kScan + Bytes(jpegFlatBytes(640, 480, 3)),
       kJpeg, 640, 480},
      {"JPEG, an empty segment", kJpegStart + segment(0xEF, 2) + jpegFrame(64, 64) + Bytes(16),
       kJpeg, 64, 64},
      {"JPEG sampling factors 4 x 4", sampled(0x44), kJpeg, 64, 64},
      {"progressive", kJpegStart + jpegFrame(512, 256, 3, 0xC2) + Bytes(1000), kJpeg, 512, 256},
      {"4:2:0, one scan, 108 MP", jpegFile(12000, 9000, 3), kJpeg, 12000, 9000},
      {"4:2:0, progressive, the bound just met", progressive(12800, 8192), kJpeg, 12800, 8192},
      {"100 MP progressive photo", progressive(11648, 8736), kJpeg, 11648, 8736},
      {"GIF", gifFile(30, 20, gifSolid(30, 20, 1)), kGif, 30, 20},
      {"GIF image within its screen, after an extension",
       gifFile(300, 300, gifExtension(0xFE, Bytes(600, 'c')) + gifSolid(40, 50, 2)), kGif, 40, 50},
      {"GIF within a wide screen", gifFile(65535, 2, gifSolid(2, 2, 0)), kGif, 2, 2},
      {"GIF, 12 bits a 4096 pixels", gifFile(128, 64, gifImage(128, 64, Bytes(3))), kGif, 128, 64},
      {"GIF, least data", gifFile(2000, 2000, gifImage(2000, 2000, kFlatGif)), kGif, 2000, 2000},
      {"1-bit BMP", bmpFile(bmpInfo(33, 3, 1), Bytes(8), Bytes(24)), kBmp, 33, 3},
      {"top-down BMP", bmpFile(bmpInfo(7, -9, 24), {}, Bytes(24 * 9)), kBmp, 7, 9},
      {"RLE4", bmpFile(bmpInfo(300, 20, 4, kBmpRle4), {}, bmpRle8Rows(300, 20, 0x12)), kBmp, 300,
       20},
      {"OS/2 RLE24, least bytes", bmpFile(kOs2Rle24, {}, Bytes(1024 - 78)), kBmp, 255, 256},
      {"JPEG in a BMP: the memory bound only, just met",
       bmpFile(bmpInfo(15360, 10240, 24, 4), {}, Bytes(64)), kBmp, 15360, 10240},
      {"square JPEG of two components, one scan",
       kJpegStart + jpegSegment(0xC0, Bytes{8, 0x1C, 0xE8, 0x1C, 0xE8, 2, 1, 0x11, 0, 2, 0x11, 0}) +
           jpegSegment(0xDA, {2, 1, 0, 2, 0, 0, 63, 0}) + Bytes(214000),
       kJpeg, 7400, 7400},
      {"GIF, least data, near the bound",
       gifFile(14000, 11000, gifImage(14000, 11000, Bytes(56400))), kGif, 14000, 11000},
      {"RLE8, least data", bmpFile(kRle8, kPalette, kRle), kBmp, 11000, 8000},
      {"empty", {}, kUnknown},
      {"a text beginning with B", {'B', 'o', 'n', 'j', 'o', 'u', 'r'}, kUnknown},
      {"OS/2 header of 20 bytes, RLE8",
       bmpFile(bmpInfo(400, 400, 8, kBmpRle8, 20), kPalette, Bytes(1300)), kBmp, 400, 400},
      {"JPEG start alone", {0xFF, 0xD8, 0xFF}, kTruncated},
      {"JPEG length 1 (steps back)", kJpegStart + segment(0xE0, 1) + Bytes(64), kMalformed},
      {"JPEG frame cut short", cut(kJpegStart + jpegFrame(64, 64, 3), 14), kTruncated},
      {"JPEG scan before a frame", kJpegStart + jpegSegment(0xDA, Bytes(8)), kMalformed},
      {"JPEG of fill bytes", kJpegStart + Bytes(2 << 20, 0xFF), kMalformed},
      {"frame after 4096 segments", kJpegStart + comments + jpegFrame(8, 8) + Bytes(8), kMalformed},
      {"108 MP, a segment of length 0 before its scan",
       k108 + Bytes{0xFF, 0xE1, 0, 0} + kScan + k108Data, kTooLarge},
      {"108 MP, its scan after 4096 segments", k108 + comments + kScan + k108Data, kTooLarge},
      {"JPEG frame length not its components'",
       kJpegStart + segment(0xC0, 11) + Bytes{8, 0, 8, 0, 8, 2, 1, 0x11, 0, 2, 0x11, 0} + Bytes(64),
       kMalformed},
      {"JPEG sampling factors 5 x 1", sampled(0x51), kMalformed},
      {"JPEG sampling factors 1 x 5", sampled(0x15), kMalformed},
      {"JPEG 0 wide", jpegFile(0, 64), kEmpty},
      {"JPEG 65000 x 65000 in 128 data bytes", jpegFile(65000, 65000, 3, 128), kTooLarge},
      {"arithmetic JPEG", kJpegStart + jpegFrame(64, 64, 1, 0xC9) + Bytes(64), kUnsupported},
      {"4:2:0, progressive, 108 MP", progressive(12000, 9000), kTooLarge},
      {"108 MP, a first scan of one component", k108 + jpegScan() + k108Data, kTooLarge},
      {"4:2:0 JPEG, a byte short of one bit a block", cut(k96, kOneBitABlock - 1), kTooFewBytes},
      {"GIF sub-block past the end", cut(gifFile(64, 64, gifSolid(64, 64, 1)), 60), kTruncated},
      {"GIF trailer before an image", gifFile(10, 10, {}), kMalformed},
      {"GIF code size 1", gifFile(8, 8, gifImage(8, 8, Bytes(40), 1)), kGif, 8, 8},
      {"GIF code size 11", gifFile(8, 8, gifImage(8, 8, Bytes(40), 11)), kGif, 8, 8},
      {"GIF code size 12", gifFile(8, 8, gifImage(8, 8, Bytes(40), 12)), kMalformed},
      {"GIF image 65535 x 65535", gifFile(8, 8, gifImage(65535, 65535, Bytes(40))), kTooLarge},
      {"GIF screen 65535 x 65535", gifFile(65535, 65535, gifSolid(2, 2, 0)), kTooLarge},
      {"GIF at the bound, counting its copied frame",
       gifFile(15727, 10000, gifImage(15727, 10000, Bytes(64540))), kGif, 15727, 10000},
      {"GIF, a byte more", gifFile(15727, 10000, gifImage(15727, 10000, Bytes(64541))), kTooLarge},
      {"GIF, 8193 pixels in 3 bytes", gifFile(8, 8, gifImage(2731, 3, Bytes(3))), kTooFewBytes},
      {"BMP info cut short", cut(bmpFile(bmpInfo(4, 4, 32, 0, 124), {}, {}), 74), kTruncated},
      {"BMP info of 65 bytes", bmpFile(bmpInfo(4, 4, 24, 0, 65), {}, Bytes(48)), kMalformed},
      {"BMP info of 200 bytes", bmpFile(bmpInfo(4, 4, 24, 0, 200), {}, Bytes(48)), kMalformed},
      {"BMP negative width", bmpFile(bmpInfo(-4, 4, 24), {}, Bytes(48)), kMalformed},
      {"BMP of 0 bits a pixel", bmpFile(bmpInfo(4, 4, 0), {}, Bytes(64)), kMalformed},
      {"BMP 0 wide", bmpFile(bmpInfo(0, 4, 24), {}, {}), kEmpty},
      {"BMP 0 high", bmpFile(bmpInfo(4, 0, 24), {}, {}), kEmpty},
      {"BMP, least bytes", bmpFile(bmpInfo(401, 400, 24), {}, Bytes(kBmpLeast)), kBmp, 401, 400},
      {"BMP, a byte short", bmpFile(bmpInfo(401, 400, 24), {}, Bytes(kBmpLeast - 1)), kTooFewBytes},
      {"BMP, half its rows", bmpFile(bmpInfo(400, 400, 24), {}, Bytes(1200 * 200)), kTooFewBytes},
      {"OS/2 RLE24, a byte short", bmpFile(kOs2Rle24, {}, Bytes(1024 - 79)), kTooFewBytes},
      {"OS/2 Huffman: the memory bound only",
       bmpFile(bmpInfo(400, 400, 1, kBmpBitfields, 64), {}, Bytes(64)), kBmp, 400, 400},
      {"RLE8 9000 x 9000, least data: a square is kept whole",
       bmpFile(bmpInfo(9000, 9000, 8, kBmpRle8), kPalette, bmpRle8Rows(9000, 9000, 7)), kTooLarge},
      {"RLE8, least data / 4", bmpFile(kRle8, kPalette, cut(kRle, kRle.size() / 4)), kTooFewBytes},
      {"RLE4 11000 x 11000 in 1 KB",
       bmpFile(bmpInfo(11000, 11000, 4, kBmpRle4), {}, bmpRle8Rows(11000, 1, 7)), kTooFewBytes},
  };
  // Core (16-bit sizes), OS/2 and Windows headers.
  for (uint32_t size : {12, 16, 40, 52, 56, 64, 108, 124})
    cases.push_back({"BMP header", bmpFile(bmpInfo(5, 4, 24, 0, size), {}, Bytes(64)), kBmp, 5, 4});
  for (uint16_t bits : {1, 2, 4, 8, 16, 32})
    cases.push_back({"BMP bits", bmpFile(bmpInfo(5, 4, bits), {}, Bytes(80)), kBmp, 5, 4});
  for (uint32_t size : {40, 52, 56, 108, 124})
    for (uint32_t compression : {uint32_t{kBmpBitfields}, 6u})  // 6: with alpha
      cases.push_back({"bit fields, half its rows",
                       bmpFile(bmpInfo(400, 400, 16, compression, size), {}, Bytes(800 * 200)),
                       kTooFewBytes});
  for (const auto& c : cases) {
    MemoryFile file(c.bytes);
    const PictureHeader h = readPictureHeader(file);
    EXPECT_EQ(std::tuple(h.refusal, file.overreached), std::tuple(c.refusal, false))
        << c.name << ": " << describe(h.refusal) << " instead of " << describe(c.refusal);
    if (!h.accepted()) continue;
    EXPECT_EQ(std::tuple(h.format, h.width, h.height, file.bytesRead < 512),
              std::tuple(c.format, c.width, c.height, true))
        << c.name << " (read at most its header)";
  }
}

// The decoder gets the screen, a palette, the first image's graphic control and the image: no
// comment or application block, nothing of later frames, and of the image's data no more than its
// pixels can use (3n + 3 bytes for n pixels): the sub-blocks up to the one that reaches it, with
// a terminator of their own. Nothing after what it hands on is read.
TEST(PictureHeader, AGifsFirstFrameIsHandedOnWithAPaletteItsGraphicControlAndTheDataItCanUse) {
  const Bytes control = gifExtension(0xF9, {4, 0, 0, 0}), image = gifSolid(20, 10, 1);
  const Bytes blocks = gifExtension(0xF9, {4, 9, 9, 9}) + gifExtension(0xFE, Bytes(3000, 'c')) +
                       control + gifExtension(0xFF, Bytes(11, 'n')) + image;
  // No global colour table, and the image has no local one: the default palette is added, and
  // the screen's colour resolution kept.
  const Bytes bare = gifFile(20, 10, blocks, false), rest = control + image + Bytes{0x3B};
  Bytes palette = cut(bare, 13);
  for (int i = 0; i < 256; ++i) palette.insert(palette.end(), 3, uint8_t(i == 1 ? 255 : i));
  const Bytes withPalette = gifFile(20, 10, blocks + gifSolid(20, 10, 2));
  Bytes ones;  // sub-blocks of one byte each
  for (int i = 0; i < 1000; ++i) ones = ones + Bytes{1, uint8_t(i)};
  const Bytes wordy = gifFile(2, 2, cut(gifImage(2, 2, {}), 11) + ones + Bytes{0});
  const size_t used = 25 + 11 + 15 * 2;  // 2 x 2 pixels: 15 bytes, one a block
  const std::tuple<Bytes, Bytes, uint64_t> cases[] = {
      // a file, its frame, how far it is read
      {bare, patched(palette, 10, {0xF7}) + rest, 13 + blocks.size()},
      {patched(bare, 10, {0}), patched(palette, 10, {0x87}) + rest, 13 + blocks.size()},
      {withPalette, cut(withPalette, 25) + rest, 25 + blocks.size()},
      {wordy, cut(wordy, used) + Bytes{0, 0x3B}, used},
  };
  for (const auto& [file, frame, furthest] : cases) {
    MemoryFile source(file);
    const PictureHeader header = readPictureHeader(source);
    ASSERT_TRUE(header.accepted()) << describe(header.refusal);
    const Bytes handedOn = gifFirstFrame(source, header);
    EXPECT_EQ(std::tuple(handedOn, source.furthest), std::tuple(frame, furthest));
  }
}

TEST(PictureHeader, NoProductOfTheSidesThatWrapsFitsTheMemoryBound) {
  EXPECT_TRUE(decodedSizeFits(kLargestDecodeBytes / 4, 1) &&
              decodedSizeFits(1, kLargestDecodeBytes / 4));
  EXPECT_FALSE(decodedSizeFits(1ull << 32, 1ull << 32));  // the product wraps to 0
}

}  // namespace
}  // namespace qm

// The Exif Orientation reader: well-formed blocks in both byte orders, and the malformed ones
// it must refuse without reading past the block.
#include "toolkit/exif_orientation.h"

#include <gtest/gtest.h>

#include "tests/common/exif_block.h"

namespace qm {
namespace {

using test::ExifLayout;
using test::exifPayload;
using test::exifWithOrientation;
using test::orientationEntry;
using test::segment;

int blockOrientation(const std::vector<uint8_t>& block) {
  return exifBlockOrientation(block.data(), block.size());
}

int fileOrientation(const std::vector<uint8_t>& file) {
  return jpegOrientation(file.data(), file.size());
}

// The head of a JPEG as cameras write it: start, JFIF, the Exif block, a table, the scan.
std::vector<uint8_t> jpegHead(const std::vector<std::vector<uint8_t>>& segments) {
  std::vector<uint8_t> file = {0xFF, 0xD8};
  for (const auto& s : segments) file.insert(file.end(), s.begin(), s.end());
  const std::vector<uint8_t> scan = {0xFF, 0xDA, 0x00, 0x08, 1, 1, 0, 0, 0x3F, 0, 0x12, 0x34};
  file.insert(file.end(), scan.begin(), scan.end());
  return file;
}

const std::vector<uint8_t> kJfif =
    segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
const std::vector<uint8_t> kTable = segment(0xDB, std::vector<uint8_t>(65, 1));

TEST(ExifOrientation, EveryValueInBothByteOrders) {
  for (bool bigEndian : {false, true}) {
    for (uint16_t value = 1; value <= 8; ++value) {
      const std::vector<uint8_t> block = exifWithOrientation(value, bigEndian);
      EXPECT_EQ(blockOrientation(block), value) << "big-endian " << bigEndian;
      EXPECT_EQ(fileOrientation(jpegHead({kJfif, segment(0xE1, block), kTable})), value);
    }
  }
}

TEST(ExifOrientation, EveryShortenedBlockAndFileIsRefused) {
  for (bool bigEndian : {false, true}) {
    const std::vector<uint8_t> block = exifWithOrientation(6, bigEndian);
    for (size_t size = 0; size < block.size(); ++size)
      EXPECT_EQ(exifBlockOrientation(block.data(), size), kNoOrientation) << size;
    // A file cut inside the Exif segment says nothing; cut after it, it is read whole.
    const std::vector<uint8_t> file = jpegHead({kJfif, segment(0xE1, block), kTable});
    const size_t exifEnd = 2 + kJfif.size() + block.size() + 4;
    for (size_t size = 0; size < file.size(); ++size)
      EXPECT_EQ(jpegOrientation(file.data(), size), size < exifEnd ? kNoOrientation : 6) << size;
  }
}

TEST(ExifOrientation, BlockInTheOtherByteOrderThanItClaimsIsRefused) {
  for (bool bigEndian : {false, true}) {
    std::vector<uint8_t> block = exifWithOrientation(6, bigEndian);
    block[6] = block[7] = bigEndian ? 'I' : 'M';
    EXPECT_EQ(blockOrientation(block), kNoOrientation) << "written big-endian " << bigEndian;
  }
}

TEST(ExifOrientation, LoopingLinksNeitherHoldTheReaderNorLendTheThumbnailsTag) {
  for (bool bigEndian : {false, true}) {
    ExifLayout itself;
    itself.bigEndian = bigEndian;
    itself.ifd0 = {orientationEntry(8)};
    itself.ifd0Next = 8;  // IFD0 links to itself
    EXPECT_EQ(blockOrientation(exifPayload(itself)), 8);

    ExifLayout pair = itself;
    pair.ifd0 = {{0x0100, 4, 1, 640}};
    pair.ifd0Next = ExifLayout::kIfd1;
    pair.ifd1 = {orientationEntry(3)};  // the thumbnail's, not the picture's
    pair.ifd1Next = 8;                  // and back to IFD0
    EXPECT_EQ(blockOrientation(exifPayload(pair)), kNoOrientation);
  }
}

TEST(ExifOrientation, MalformedBlocksMeanNoOrientation) {
  struct Case {
    const char* name;
    std::vector<uint8_t> block;
  };
  auto laidOut = [](auto change) {
    ExifLayout layout;
    layout.ifd0 = {{0x010F, 2, 4, 0}, orientationEntry(6)};
    change(layout);
    return exifPayload(layout);
  };
  std::vector<uint8_t> notExif = exifWithOrientation(6);
  notExif[4] = 'X';
  std::vector<uint8_t> noByteOrder = exifWithOrientation(6);
  noByteOrder[6] = noByteOrder[7] = 'X';
  const std::vector<uint8_t> sound = laidOut([](ExifLayout&) {});
  const uint32_t size = static_cast<uint32_t>(sound.size() - 6);  // of the TIFF structure
  const Case cases[] = {
      {"not Exif", notExif},
      {"no byte order", noByteOrder},
      {"IFD0 inside the header", laidOut([](ExifLayout& l) { l.ifd0Offset = 2; })},
      {"IFD0 past the end", laidOut([&](ExifLayout& l) { l.ifd0Offset = size + 100; })},
      {"IFD0 offset wraps", laidOut([](ExifLayout& l) { l.ifd0Offset = 0xFFFFFFFE; })},
      {"more entries than the block holds",
       [&] {
         std::vector<uint8_t> block = sound;
         block[6 + 8] = 3;  // IFD0's count, little-endian: one more than written
         return block;
       }()},
      {"wrong type", laidOut([](ExifLayout& l) { l.ifd0[1].type = 4; })},
      {"two values", laidOut([](ExifLayout& l) { l.ifd0[1].count = 2; })},
      {"value 0", laidOut([](ExifLayout& l) { l.ifd0[1].value = 0; })},
      {"value 9", laidOut([](ExifLayout& l) { l.ifd0[1].value = 9; })},
      {"no orientation tag", laidOut([](ExifLayout& l) { l.ifd0.pop_back(); })},
  };
  EXPECT_EQ(blockOrientation(sound), 6) << "the sound block the cases are made from";
  for (const Case& c : cases) EXPECT_EQ(blockOrientation(c.block), kNoOrientation) << c.name;
}

TEST(ExifOrientation, SegmentsAreWalkedFromTheStartToTheScanOnly) {
  const std::vector<uint8_t> exif = segment(0xE1, exifWithOrientation(5));
  const std::vector<uint8_t> xmp = segment(0xE1, {'h', 't', 't', 'p', ':', '/', '/', 0});
  const std::vector<uint8_t> profile = segment(0xE2, std::vector<uint8_t>(3000, 7));
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    int orientation;
  } cases[] = {
      {"after JFIF", jpegHead({kJfif, exif}), 5},
      {"after another APP1 and a profile", jpegHead({xmp, profile, exif}), 5},
      {"only after the scan",
       [&] {
         std::vector<uint8_t> file = jpegHead({kJfif});
         file.insert(file.end(), exif.begin(), exif.end());
         return file;
       }(),
       kNoOrientation},
      {"no start marker", std::vector<uint8_t>(exif.begin(), exif.end()), kNoOrientation},
      {"fill bytes before a marker",
       [&] {
         std::vector<uint8_t> file = jpegHead({kJfif, exif});
         file.insert(file.begin() + 2, {0xFF, 0xFF});
         return file;
       }(),
       5},
      {"a segment whose length counts less than itself",
       [&] {
         std::vector<uint8_t> file = jpegHead({kJfif, exif});
         file[5] = 1;  // the JFIF segment's length
         return file;
       }(),
       kNoOrientation},
      {"bytes that are not a marker",
       [&] {
         std::vector<uint8_t> file = jpegHead({kJfif, exif});
         file[2] = 0x12;
         return file;
       }(),
       kNoOrientation},
  };
  for (const Case& c : cases) EXPECT_EQ(fileOrientation(c.file), c.orientation) << c.name;
}

}  // namespace
}  // namespace qm

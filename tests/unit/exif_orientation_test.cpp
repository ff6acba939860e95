// The Exif Orientation reader: well-formed blocks in both byte orders, and the malformed ones
// it must refuse without reading past the block.
#include "toolkit/exif_orientation.h"

#include <gtest/gtest.h>

#include "tests/common/exif_block.h"

namespace qm {
namespace {

using namespace test_files;
using test::exifWithOrientation;

int blockOrientation(const Bytes& block) {
  return exifBlockOrientation(block.data(), block.size());
}
int fileOrientation(const Bytes& file) { return jpegOrientation(file.data(), file.size()); }

// The head of a JPEG as cameras write it: start, the given segments, the scan's header.
Bytes jpegHead(const Bytes& segments) {
  return kJpegStart + segments + jpegSegment(0xDA, {1, 1, 0, 0, 0x3F, 0});
}

TEST(ExifOrientation, EveryValueInBothByteOrdersAndEveryShortenedBlockOrFileIsRefused) {
  for (bool bigEndian : {false, true}) {
    for (uint16_t value = 1; value <= 8; ++value) {
      const Bytes block = exifWithOrientation(value, bigEndian);
      EXPECT_EQ(blockOrientation(block), value) << "big-endian " << bigEndian;
      EXPECT_EQ(fileOrientation(jpegHead(kJfif + jpegSegment(0xE1, block))), value);
    }
    const Bytes block = exifWithOrientation(6, bigEndian);
    for (size_t size = 0; size < block.size(); ++size)
      EXPECT_EQ(exifBlockOrientation(block.data(), size), kNoOrientation) << size;
    // A file cut inside the Exif segment says nothing; cut after it, it is read whole.
    const Bytes file = jpegHead(kJfif + jpegSegment(0xE1, block));
    const size_t exifEnd = 2 + kJfif.size() + block.size() + 4;
    for (size_t size = 0; size < file.size(); ++size)
      EXPECT_EQ(jpegOrientation(file.data(), size), size < exifEnd ? kNoOrientation : 6) << size;
  }
}

// The block with bytes from at on replaced (offsets as exifWithOrientation gives them).
Bytes patched(Bytes block, size_t at, std::initializer_list<uint8_t> bytes) {
  std::copy(bytes.begin(), bytes.end(), block.begin() + at);
  return block;
}

TEST(ExifOrientation, MalformedBlocksMeanNoOrientation) {
  const Bytes sound = exifWithOrientation(6);
  // IFD0 without the orientation links to IFD1 (the thumbnail's, holding one), which links back.
  Bytes looped =
      patched(sound, 28, {0x13}) + Bytes{1, 0, 0x12, 1, 3, 0, 1, 0, 0, 0, 3, 0, 0, 0, 8, 0, 0, 0};
  looped[40] = 44 - 6;
  const struct {
    const char* name;
    Bytes block;
  } cases[] = {
      {"not Exif", patched(sound, 4, {'X'})},
      {"no byte order", patched(sound, 6, {'X', 'X'})},
      {"not TIFF", patched(sound, 8, {43})},
      {"more entries than the block holds", patched(sound, 14, {3})},
      {"wrong type", patched(sound, 30, {4})},
      {"two values", patched(sound, 32, {2})},
      {"value 9", patched(sound, 36, {9})},
      {"no orientation tag", patched(sound, 28, {0x13})},
      {"only the thumbnail's", looped},
  };
  for (const auto& c : cases) EXPECT_EQ(blockOrientation(c.block), kNoOrientation) << c.name;
}

TEST(ExifOrientation, SegmentsAreWalkedFromTheStartToTheScanOnly) {
  const Bytes exif = jpegSegment(0xE1, exifWithOrientation(5));
  const Bytes xmp = jpegSegment(0xE1, {'h', 't', 't', 'p', ':', '/', '/', 0});
  const struct {
    const char* name;
    Bytes file;
    int orientation;
  } cases[] = {
      {"after another APP1 and a profile", jpegHead(xmp + jpegSegment(0xE2, Bytes(3000, 7)) + exif),
       5},
      {"only after the scan", jpegHead(kJfif) + exif, kNoOrientation},
      {"no start marker", patched(jpegHead(exif), 1, {0xE1}), kNoOrientation},
      {"fill bytes before a marker", jpegHead(Bytes{0xFF, 0xFF} + kJfif + exif), 5},
      {"a length that counts less than itself",
       jpegHead(Bytes{0xFF, 0xE1, 0, 1} + exifWithOrientation(5)), kNoOrientation},
      {"bytes that are not a marker", jpegHead(Bytes{0x12, 0, 2} + exif), kNoOrientation},
  };
  for (const auto& c : cases) EXPECT_EQ(fileOrientation(c.file), c.orientation) << c.name;
}

}  // namespace
}  // namespace qm

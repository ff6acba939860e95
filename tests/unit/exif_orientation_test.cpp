// The Exif Orientation reader: well-formed blocks in both byte orders, and the malformed ones
// it must refuse without reading past the block.
#include "toolkit/exif_orientation.h"

#include <gtest/gtest.h>

#include "tests/common/exif_block.h"

namespace qm {
namespace {

using namespace test;

int blockOrientation(const Bytes& block) {
  return exifBlockOrientation(block.data(), block.size());
}
int fileOrientation(const Bytes& file) { return jpegOrientation(file.data(), file.size()); }

const Bytes kJfif = segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
const Bytes kTable = segment(0xDB, Bytes(65, 1));

// The head of a JPEG as cameras write it: start, the given segments, the scan.
Bytes jpegHead(const std::vector<Bytes>& segments) {
  Bytes file = {0xFF, 0xD8};
  for (const Bytes& s : segments) file.insert(file.end(), s.begin(), s.end());
  for (uint8_t b : {0xFF, 0xDA, 0x00, 0x08, 1, 1, 0, 0, 0x3F, 0, 0x12, 0x34}) file.push_back(b);
  return file;
}

TEST(ExifOrientation, EveryValueInBothByteOrdersAndEveryShortenedBlockOrFileIsRefused) {
  for (bool bigEndian : {false, true}) {
    for (uint16_t value = 1; value <= 8; ++value) {
      const Bytes block = exifWithOrientation(value, bigEndian);
      EXPECT_EQ(blockOrientation(block), value) << "big-endian " << bigEndian;
      EXPECT_EQ(fileOrientation(jpegHead({kJfif, segment(0xE1, block), kTable})), value);
    }
    const Bytes block = exifWithOrientation(6, bigEndian);
    for (size_t size = 0; size < block.size(); ++size)
      EXPECT_EQ(exifBlockOrientation(block.data(), size), kNoOrientation) << size;
    // A file cut inside the Exif segment says nothing; cut after it, it is read whole.
    const Bytes file = jpegHead({kJfif, segment(0xE1, block), kTable});
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
  // IFD0 without the orientation links to IFD1 (the thumbnail's, holding one), which links
  // back to IFD0.
  Bytes looped = patched(sound, 28, {0x13});
  looped[40] = 44 - 6;
  for (uint8_t b : {1, 0, 0x12, 1, 3, 0, 1, 0, 0, 0, 3, 0, 0, 0, 8, 0, 0, 0}) looped.push_back(b);
  const struct {
    const char* name;
    Bytes block;
  } cases[] = {
      {"not Exif", patched(sound, 4, {'X'})},
      {"no byte order", patched(sound, 6, {'X', 'X'})},
      {"little-endian claiming big", patched(sound, 6, {'M', 'M'})},
      {"big-endian claiming little", patched(exifWithOrientation(6, true), 6, {'I', 'I'})},
      {"IFD0 inside the header", patched(sound, 10, {2})},
      {"IFD0 past the end", patched(sound, 10, {200})},
      {"IFD0 offset wraps", patched(sound, 10, {0xFE, 0xFF, 0xFF, 0xFF})},
      {"more entries than the block holds", patched(sound, 14, {3})},
      {"wrong type", patched(sound, 30, {4})},
      {"two values", patched(sound, 32, {2})},
      {"value 0", patched(sound, 36, {0})},
      {"value 9", patched(sound, 36, {9})},
      {"no orientation tag", patched(sound, 28, {0x13})},
      {"only the thumbnail's, looping", looped},
  };
  EXPECT_EQ(blockOrientation(sound), 6) << "the sound block the cases are made from";
  EXPECT_EQ(blockOrientation(patched(looped, 28, {0x12})), 6) << "the picture's own, looping";
  for (const auto& c : cases) EXPECT_EQ(blockOrientation(c.block), kNoOrientation) << c.name;
}

TEST(ExifOrientation, SegmentsAreWalkedFromTheStartToTheScanOnly) {
  const Bytes exif = segment(0xE1, exifWithOrientation(5));
  const Bytes xmp = segment(0xE1, {'h', 't', 't', 'p', ':', '/', '/', 0});
  const Bytes profile = segment(0xE2, Bytes(3000, 7));
  auto edited = [](Bytes file, auto edit) {
    edit(file);
    return file;
  };
  const Bytes plain = jpegHead({kJfif, exif});
  const struct {
    const char* name;
    Bytes file;
    int orientation;
  } cases[] = {
      {"after JFIF", plain, 5},
      {"after another APP1 and a profile", jpegHead({xmp, profile, exif}), 5},
      {"only after the scan",
       edited(jpegHead({kJfif}), [&](Bytes& f) { f.insert(f.end(), exif.begin(), exif.end()); }),
       kNoOrientation},
      {"no start marker", exif, kNoOrientation},
      {"fill bytes before a marker",
       edited(plain,
              [](Bytes& f) {
                f.insert(f.begin() + 2, {0xFF, 0xFF});
              }),
       5},
      {"a segment whose length counts less than itself", edited(plain, [](Bytes& f) { f[5] = 1; }),
       kNoOrientation},
      {"bytes that are not a marker", edited(plain, [](Bytes& f) { f[2] = 0x12; }), kNoOrientation},
  };
  for (const auto& c : cases) EXPECT_EQ(fileOrientation(c.file), c.orientation) << c.name;
}

}  // namespace
}  // namespace qm

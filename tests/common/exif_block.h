#pragma once
// An Exif block, the APP1 payload "Exif\0\0" and a TIFF structure, as cameras write it.
#include "tests/common/picture_files.h"

namespace qm::test {

using Bytes = test_files::Bytes;

// IFD0 holds a text tag and the orientation. Offsets in the block: 6 byte order, 10 where IFD0
// is, 14 its count of entries, 28 the orientation entry (30 type, 32 count, 36 value), 40 the
// link to the next IFD, 44 the end.
inline Bytes exifWithOrientation(uint8_t value, bool bigEndian = false) {
  // clang-format off
  if (bigEndian) return {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,  0, 2,
                         1, 15, 0, 2, 0, 0, 0, 4, 0, 0, 0, 0,
                         1, 18, 0, 3, 0, 0, 0, 1, 0, value, 0, 0,  0, 0, 0, 0};
  return {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0,  2, 0,
          15, 1, 2, 0, 4, 0, 0, 0, 0, 0, 0, 0,
          18, 1, 3, 0, 1, 0, 0, 0, value, 0, 0, 0,  0, 0, 0, 0};
  // clang-format on
}

// jpeg with an APP1 segment holding payload right after its start marker.
inline Bytes withApp1(Bytes jpeg, const Bytes& payload) {
  const Bytes app1 = test_files::jpegSegment(0xE1, payload);
  jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());
  return jpeg;
}

}  // namespace qm::test

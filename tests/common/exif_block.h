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

// An Exif block saying ColorSpace and the interoperability index: IFD0 at 8 links the Exif IFD
// at 26, which links the interoperability IFD at 56 (offsets in the TIFF structure, 6 on in the
// block).
inline Bytes exifColourSpace(uint16_t colourSpace, const char (&index)[4]) {
  using test_files::le;
  using test_files::operator+;
  return Bytes{'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0} + le(8, 4) + le(1, 2) + le(0x8769, 2) +
         le(4, 2) + le(1, 4) + le(26, 4) + le(0, 4) + le(2, 2) + le(0xA001, 2) + le(3, 2) +
         le(1, 4) + le(colourSpace, 4) + le(0xA005, 2) + le(4, 2) + le(1, 4) + le(56, 4) +
         le(0, 4) + le(1, 2) + le(1, 2) + le(2, 2) + le(4, 4) + Bytes(index, index + 4) + le(0, 4);
}

// jpeg with an APP1 segment holding payload right after its start marker.
inline Bytes withApp1(Bytes jpeg, const Bytes& payload) {
  const Bytes app1 = test_files::jpegSegment(0xE1, payload);
  jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());
  return jpeg;
}

}  // namespace qm::test

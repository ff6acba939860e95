#pragma once
// Exif blocks made for tests: an APP1 payload ("Exif\0\0" and a TIFF structure) laid out as a
// test needs it, in either byte order, and the marker segments that carry it in a JPEG.
#include <algorithm>
#include <cstdint>
#include <vector>

namespace qm::test {

using Bytes = std::vector<uint8_t>;

struct TiffEntry {
  uint16_t tag, type;  // type 3 SHORT, 4 LONG
  uint32_t count;
  uint16_t value;  // left-justified in the entry's value field, as the format stores it
};

inline TiffEntry orientationEntry(uint16_t value) { return {0x0112, 3, 1, value}; }

struct ExifLayout {
  bool bigEndian = false;
  std::vector<TiffEntry> ifd0;  // written right after the header
  uint32_t ifd0Offset = 8;      // where the header says IFD0 is
  uint32_t ifd0Next = 0;        // IFD0's link: 0 none, kIfd1 to ifd1 (written after IFD0)
  std::vector<TiffEntry> ifd1;  // the thumbnail's IFD, written when not empty
  uint32_t ifd1Next = 0;
  static constexpr uint32_t kIfd1 = 0xFFFFFFFF;
};

inline Bytes exifPayload(const ExifLayout& layout) {
  Bytes bytes = {'E', 'x', 'i', 'f', 0, 0};
  auto put = [&](uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
      bytes.push_back(static_cast<uint8_t>(value >> 8 * (layout.bigEndian ? size - 1 - i : i)));
  };
  auto ifd = [&](const std::vector<TiffEntry>& entries, uint32_t next) {
    put(static_cast<uint32_t>(entries.size()), 2);
    for (const TiffEntry& e : entries) {
      put(e.tag, 2), put(e.type, 2), put(e.count, 4), put(e.value, 2), put(0, 2);
    }
    put(next, 4);
  };
  put(layout.bigEndian ? 0x4D4D : 0x4949, 2);  // "MM" or "II"
  put(42, 2);
  put(layout.ifd0Offset, 4);
  const auto ifd1At = static_cast<uint32_t>(8 + 2 + 12 * layout.ifd0.size() + 4);
  ifd(layout.ifd0, layout.ifd0Next == ExifLayout::kIfd1 ? ifd1At : layout.ifd0Next);
  if (!layout.ifd1.empty()) ifd(layout.ifd1, layout.ifd1Next);
  return bytes;
}

// A well-formed block whose IFD0 holds a few ordinary tags and the orientation.
inline Bytes exifWithOrientation(uint16_t orientation, bool bigEndian = false) {
  ExifLayout layout;
  layout.bigEndian = bigEndian;
  layout.ifd0 = {
      {0x010F, 2, 4, 0}, {0x0110, 2, 4, 0}, orientationEntry(orientation), {0x011A, 5, 1, 0}};
  return exifPayload(layout);
}

// A marker segment: 0xFF, the marker, a big-endian length that counts itself, the payload.
inline Bytes segment(uint8_t marker, const Bytes& payload) {
  const size_t length = payload.size() + 2;
  Bytes bytes(payload.size() + 4);
  bytes[0] = 0xFF, bytes[1] = marker;
  bytes[2] = static_cast<uint8_t>(length >> 8), bytes[3] = static_cast<uint8_t>(length);
  std::copy(payload.begin(), payload.end(), bytes.begin() + 4);
  return bytes;
}

// jpeg with an APP1 segment holding payload right after its start marker.
inline Bytes withApp1(Bytes jpeg, const Bytes& payload) {
  const Bytes app1 = segment(0xE1, payload);
  jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());
  return jpeg;
}

}  // namespace qm::test

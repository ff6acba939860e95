#pragma once
// Exif blocks made for tests: an APP1 payload ("Exif\0\0" and a TIFF structure) laid out as a
// test needs it, in either byte order, and a JPEG with such a block put after its start marker.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

namespace qm::test {

struct TiffEntry {
  uint16_t tag;
  uint16_t type;  // 3 SHORT, 4 LONG
  uint32_t count;
  uint16_t value;  // stored left-justified in the entry's value field, as the format does
};

inline TiffEntry orientationEntry(uint16_t value) { return {0x0112, 3, 1, value}; }

struct ExifLayout {
  bool bigEndian = false;
  std::vector<TiffEntry> ifd0;
  // IFD0 is written right after the header; what the header says about where it is, and where
  // its link to the next IFD points (0: none).
  uint32_t ifd0Offset = 8;
  uint32_t ifd0Next = 0;
  // A second IFD (the thumbnail's) written after IFD0 when not empty; ifd0Next = kIfd1 links
  // to it, and its own link points where ifd1Next says.
  std::vector<TiffEntry> ifd1;
  uint32_t ifd1Next = 0;
  static constexpr uint32_t kIfd1 = 0xFFFFFFFF;
};

class ExifWriter {
 public:
  explicit ExifWriter(bool bigEndian) : bigEndian_(bigEndian) {}
  void u16(uint16_t v) {
    const uint8_t high = static_cast<uint8_t>(v >> 8), low = static_cast<uint8_t>(v);
    bytes.push_back(bigEndian_ ? high : low);
    bytes.push_back(bigEndian_ ? low : high);
  }
  void u32(uint32_t v) {
    u16(static_cast<uint16_t>(bigEndian_ ? v >> 16 : v));
    u16(static_cast<uint16_t>(bigEndian_ ? v : v >> 16));
  }
  void ifd(const std::vector<TiffEntry>& entries, uint32_t next) {
    u16(static_cast<uint16_t>(entries.size()));
    for (const TiffEntry& e : entries) {
      u16(e.tag);
      u16(e.type);
      u32(e.count);
      u16(e.value);
      u16(0);
    }
    u32(next);
  }
  std::vector<uint8_t> bytes;

 private:
  bool bigEndian_;
};

inline std::vector<uint8_t> exifPayload(const ExifLayout& layout) {
  ExifWriter tiff(layout.bigEndian);
  tiff.bytes = {static_cast<uint8_t>(layout.bigEndian ? 'M' : 'I'),
                static_cast<uint8_t>(layout.bigEndian ? 'M' : 'I')};
  tiff.u16(42);
  tiff.u32(layout.ifd0Offset);
  const uint32_t ifd1At = static_cast<uint32_t>(8 + 2 + 12 * layout.ifd0.size() + 4);
  tiff.ifd(layout.ifd0, layout.ifd0Next == ExifLayout::kIfd1 ? ifd1At : layout.ifd0Next);
  if (!layout.ifd1.empty()) tiff.ifd(layout.ifd1, layout.ifd1Next);
  const uint8_t header[] = {'E', 'x', 'i', 'f', 0, 0};
  std::vector<uint8_t> payload(sizeof header + tiff.bytes.size());
  std::copy(std::begin(header), std::end(header), payload.begin());
  std::copy(tiff.bytes.begin(), tiff.bytes.end(), payload.begin() + sizeof header);
  return payload;
}

// The payload of a well-formed block whose IFD0 holds a few ordinary tags and the orientation.
inline std::vector<uint8_t> exifWithOrientation(uint16_t orientation, bool bigEndian = false) {
  ExifLayout layout;
  layout.bigEndian = bigEndian;
  layout.ifd0 = {
      {0x010F, 2, 4, 0}, {0x0110, 2, 4, 0}, orientationEntry(orientation), {0x011A, 5, 1, 0}};
  return exifPayload(layout);
}

// A marker segment: 0xFF, the marker, a big-endian length that counts itself, the payload.
inline std::vector<uint8_t> segment(uint8_t marker, const std::vector<uint8_t>& payload) {
  const size_t length = payload.size() + 2;
  std::vector<uint8_t> bytes(payload.size() + 4);
  bytes[0] = 0xFF;
  bytes[1] = marker;
  bytes[2] = static_cast<uint8_t>(length >> 8);
  bytes[3] = static_cast<uint8_t>(length);
  std::copy(payload.begin(), payload.end(), bytes.begin() + 4);
  return bytes;
}

// jpeg with an APP1 segment holding payload inserted right after its start marker.
inline std::vector<uint8_t> withApp1(const std::vector<uint8_t>& jpeg,
                                     const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> result(jpeg.begin(), jpeg.begin() + 2);
  const std::vector<uint8_t> app1 = segment(0xE1, payload);
  result.insert(result.end(), app1.begin(), app1.end());
  result.insert(result.end(), jpeg.begin() + 2, jpeg.end());
  return result;
}

}  // namespace qm::test

#include "toolkit/exif_orientation.h"

#include <cstring>

namespace qm {

namespace {

constexpr uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kShortType = 3;
constexpr size_t kEntryBytes = 12;

// Reads integers of a TIFF structure in its own byte order, refusing any read that would leave
// the structure.
class TiffReader {
 public:
  TiffReader(const uint8_t* data, size_t size, bool bigEndian)
      : data_(data), size_(size), bigEndian_(bigEndian) {}
  bool fits(size_t at, size_t bytes) const { return at <= size_ && size_ - at >= bytes; }
  bool u16(size_t at, uint16_t& value) const {
    if (!fits(at, 2)) return false;
    const uint8_t* p = data_ + at;
    value = static_cast<uint16_t>(bigEndian_ ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0]);
    return true;
  }
  bool u32(size_t at, uint32_t& value) const {
    uint16_t first = 0, second = 0;
    if (!u16(at, first) || !u16(at + 2, second)) return false;
    value = bigEndian_ ? (uint32_t{first} << 16) | second : (uint32_t{second} << 16) | first;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  bool bigEndian_;
};

}  // namespace

int exifBlockOrientation(const uint8_t* block, size_t size) {
  if (!block || size < sizeof kExifHeader || std::memcmp(block, kExifHeader, sizeof kExifHeader))
    return kNoOrientation;
  const uint8_t* tiff = block + sizeof kExifHeader;
  const size_t length = size - sizeof kExifHeader;
  if (length < 8) return kNoOrientation;
  bool bigEndian = false;
  if (tiff[0] == 'M' && tiff[1] == 'M') {
    bigEndian = true;
  } else if (tiff[0] != 'I' || tiff[1] != 'I') {
    return kNoOrientation;
  }
  const TiffReader reader(tiff, length, bigEndian);
  uint16_t magic = 0, count = 0;
  uint32_t ifd = 0;
  if (!reader.u16(2, magic) || magic != 42 || !reader.u32(4, ifd)) return kNoOrientation;
  // IFD0 lies after the header and wholly inside the block: its count, its entries and the
  // link to the next IFD. Only IFD0 is read (IFD1 describes the thumbnail), so no chain of
  // links is ever followed and a looping one cannot hold the reader.
  if (ifd < 8 || !reader.u16(ifd, count) || !reader.fits(ifd + 2, size_t{count} * kEntryBytes + 4))
    return kNoOrientation;
  for (size_t entry = ifd + 2; count > 0; --count, entry += kEntryBytes) {
    uint16_t tag = 0, type = 0, value = 0;
    uint32_t values = 0;
    reader.u16(entry, tag);
    if (tag != kOrientationTag) continue;
    reader.u16(entry + 2, type);
    reader.u32(entry + 4, values);
    reader.u16(entry + 8, value);
    const bool valid = type == kShortType && values == 1 && value >= 1 && value <= 8;
    return valid ? value : kNoOrientation;
  }
  return kNoOrientation;
}

int jpegOrientation(const uint8_t* data, size_t size) {
  if (!data || size < 2 || data[0] != 0xFF || data[1] != 0xD8) return kNoOrientation;
  size_t at = 2;
  for (;;) {
    if (at >= size || data[at] != 0xFF) return kNoOrientation;
    while (at < size && data[at] == 0xFF) ++at;  // fill bytes before a marker
    if (at >= size) return kNoOrientation;
    const uint8_t marker = data[at++];
    if (marker == 0xDA || marker == 0xD9 || marker == 0x00) return kNoOrientation;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length follows
    if (size - at < 2) return kNoOrientation;
    const size_t length = (size_t{data[at]} << 8) | data[at + 1];
    if (length < 2 || size - at < length) return kNoOrientation;
    const uint8_t* payload = data + at + 2;
    const size_t payloadSize = length - 2;
    if (marker == 0xE1 && payloadSize >= sizeof kExifHeader &&
        std::memcmp(payload, kExifHeader, sizeof kExifHeader) == 0)
      return exifBlockOrientation(payload, payloadSize);
    at += length;
  }
}

}  // namespace qm

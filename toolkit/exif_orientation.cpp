#include "toolkit/exif_orientation.h"

#include <cstring>

namespace qm {

namespace {

constexpr uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kExifIfdTag = 0x8769, kColourSpaceTag = 0xA001, kInteropIfdTag = 0xA005;
constexpr uint16_t kInteropIndexTag = 0x0001;
constexpr uint32_t kUncalibrated = 0xFFFF;
constexpr uint16_t kAsciiType = 2, kShortType = 3, kLongType = 4;
constexpr size_t kEntryBytes = 12;

// Reads integers of a TIFF structure in its own byte order, refusing any read that would leave
// the structure.
class TiffReader {
 public:
  TiffReader(const uint8_t* data, size_t size, bool bigEndian)
      : data_(data), size_(size), bigEndian_(bigEndian) {}
  bool fits(size_t at, size_t bytes) const { return at <= size_ && size_ - at >= bytes; }
  const uint8_t* bytes(size_t at) const { return data_ + at; }  // after fits() said so
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

// The TIFF structure of an Exif block; false for a block that is not one.
bool tiffOf(const uint8_t* block, size_t size, TiffReader& reader) {
  if (!block || size < sizeof kExifHeader + 8 ||
      std::memcmp(block, kExifHeader, sizeof kExifHeader))
    return false;
  const uint8_t* tiff = block + sizeof kExifHeader;
  if ((tiff[0] != 'M' || tiff[1] != 'M') && (tiff[0] != 'I' || tiff[1] != 'I')) return false;
  reader = TiffReader(tiff, size - sizeof kExifHeader, tiff[0] == 'M');
  uint16_t magic = 0;
  return reader.u16(2, magic) && magic == 42;
}

// Where the entry of a tag lies in the IFD at ifd, or 0 when it holds none. The IFD lies after
// the header and wholly inside the block. No chain of links is followed, so a looping one cannot
// hold the reader.
size_t tagEntry(const TiffReader& reader, uint32_t ifd, uint16_t tag) {
  uint16_t count = 0;
  if (ifd < 8 || !reader.u16(ifd, count) || !reader.fits(ifd + 2, size_t{count} * kEntryBytes + 4))
    return 0;
  for (size_t entry = ifd + 2; count > 0; --count, entry += kEntryBytes) {
    uint16_t found = 0;
    reader.u16(entry, found);
    if (found == tag) return entry;
  }
  return 0;
}

// The one value of a tag in the IFD at ifd, when its entry has the given type and a count of 1
// (a SHORT, or a LONG such as the offset of another IFD).
bool tagValue(const TiffReader& reader, uint32_t ifd, uint16_t tag, uint16_t type,
              uint32_t& value) {
  const size_t entry = tagEntry(reader, ifd, tag);
  uint16_t foundType = 0, shortValue = 0;
  uint32_t values = 0;
  if (entry == 0) return false;
  // Inside the IFD, which tagEntry found wholly inside the block.
  reader.u16(entry + 2, foundType);
  reader.u32(entry + 4, values);
  if (foundType != type || values != 1) return false;
  if (type == kLongType) return reader.u32(entry + 8, value);
  reader.u16(entry + 8, shortValue);
  value = shortValue;
  return true;
}

}  // namespace

int exifBlockOrientation(const uint8_t* block, size_t size) {
  TiffReader reader(nullptr, 0, false);
  uint32_t ifd = 0, value = 0;
  // Only IFD0 is read: IFD1 describes the thumbnail.
  if (!tiffOf(block, size, reader) || !reader.u32(4, ifd) ||
      !tagValue(reader, ifd, kOrientationTag, kShortType, value) || value < 1 || value > 8)
    return kNoOrientation;
  return static_cast<int>(value);
}

bool exifSaysAdobeRgb(const uint8_t* block, size_t size) {
  TiffReader reader(nullptr, 0, false);
  uint32_t ifd = 0, exifIfd = 0, colourSpace = 0, interopIfd = 0;
  if (!tiffOf(block, size, reader) || !reader.u32(4, ifd) ||
      !tagValue(reader, ifd, kExifIfdTag, kLongType, exifIfd) ||
      !tagValue(reader, exifIfd, kColourSpaceTag, kShortType, colourSpace) ||
      colourSpace != kUncalibrated ||
      !tagValue(reader, exifIfd, kInteropIfdTag, kLongType, interopIfd))
    return false;
  // The interoperability index: ASCII "R03" and its terminator, held in the entry itself.
  const size_t entry = tagEntry(reader, interopIfd, kInteropIndexTag);
  uint16_t type = 0;
  uint32_t values = 0;
  if (entry == 0) return false;
  reader.u16(entry + 2, type);
  reader.u32(entry + 4, values);
  return type == kAsciiType && values == 4 && std::memcmp(reader.bytes(entry + 8), "R03", 4) == 0;
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

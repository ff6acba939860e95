#pragma once
// What a picture file declares about itself, read and judged before any decoder sees the file, so
// that a small file declaring a huge picture (a decompression bomb) is refused for the price of a
// few small reads.
#include <cstddef>
#include <cstdint>

namespace qm {

// The one bound on the memory of a decoded picture (its reasoning is beside its value).
constexpr uint64_t kLargestDecodedBytes = 512ull * 1024 * 1024;
// True when a picture of this size, decoded at 4 bytes per pixel, stays within that bound.
bool decodedSizeFits(uint64_t width, uint64_t height);

// The bytes of a file. The reader never asks for bytes beyond size().
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t size() const = 0;
  // Fills out with the length bytes at offset; false if they could not be read.
  virtual bool read(uint64_t offset, size_t length, uint8_t* out) = 0;
};

enum class PictureFormat { kBmp, kJpeg, kGif };

enum class Refusal {
  kNone,
  kUnknownFormat,  // not a BMP, JPEG or GIF by its first bytes
  kTruncated,      // a structure the header needs runs past the end of the file
  kMalformed,      // a value the format does not allow: negative width, a segment length below 2
  kEmpty,          // a declared width or height of zero
  kTooLarge,       // decoding it would exceed kLargestDecodedBytes
  kTooFewBytes,    // the file is too short to hold the picture it declares
};

const char* describe(Refusal refusal);

struct PictureHeader {
  Refusal refusal = Refusal::kNone;
  PictureFormat format = PictureFormat::kBmp;
  // The size of the picture the decoder will be asked for: for a GIF, its first image.
  uint32_t width = 0;
  uint32_t height = 0;
  // GIF only: the bytes before this offset are the header, the palette, the extensions before
  // the first image and that image; with a trailer byte after them they are the first frame as
  // a picture of its own.
  uint64_t firstFrameEnd = 0;

  bool accepted() const { return refusal == Refusal::kNone; }
};

// Reads the header of a BMP, JPEG or GIF and judges the size it declares.
PictureHeader readPictureHeader(ByteSource& file);

}  // namespace qm

#pragma once
// What a picture file declares about itself, read and judged before any decoder sees the file, so
// that a small file declaring a huge picture (a decompression bomb) is refused for the price of a
// few small reads.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qm {

// The one bound on the memory a decode may take, ours and the decoder's together (its reasoning
// is beside its value).
constexpr uint64_t kLargestDecodeBytes = 600ull * 1024 * 1024;
// True when a picture of this size, held at 4 bytes per pixel, stays within that bound.
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

// A JPEG's segments walked before its frame header (and by every other reader of its head):
// real files have a few dozen (APP segments for metadata, an ICC profile in 64 KB pieces,
// tables); past that the file is taken as hostile.
constexpr int kMostJpegSegments = 4096;

enum class Refusal {
  kNone,
  kUnknownFormat,  // not a BMP, JPEG or GIF by its first bytes
  kTruncated,      // a structure the header needs runs past the end of the file
  kMalformed,      // a value the format does not allow: negative width, a segment length below 2
  kEmpty,          // a declared width or height of zero
  kTooLarge,       // decoding it would exceed kLargestDecodeBytes
  kTooFewBytes,    // the file is too short to hold the picture it declares
  kUnsupported,    // a coding the decoders do not read (arithmetic-coded JPEG)
};

const char* describe(Refusal refusal);

struct PictureHeader {
  Refusal refusal = Refusal::kNone;
  PictureFormat format = PictureFormat::kBmp;
  // The size of the picture the decoder will be asked for: for a GIF, its first image.
  uint32_t width = 0;
  uint32_t height = 0;
  // GIF only: where the pieces of its first frame lie, [start, end) in the file: the screen
  // with its palette, the graphic control that goes with the first image (empty if none), and
  // that image with its data, without their terminator and no further than its pixels can use.
  struct Span {
    uint64_t start = 0, end = 0;
  };
  Span gifScreen, gifControl, gifImage;
  bool gifHasPalette = false;  // a global or local colour table

  bool accepted() const { return refusal == Refusal::kNone; }
};

// Reads the header of a BMP, JPEG or GIF and judges the size it declares.
PictureHeader readPictureHeader(ByteSource& file);

// A GIF's first frame as a picture of its own, for its decoder: the screen, a default palette
// where the file has none, the first image's graphic control and the image, then a trailer. No
// other extension goes with it. Empty when the bytes cannot be read.
std::vector<uint8_t> gifFirstFrame(ByteSource& file, const PictureHeader& header);

}  // namespace qm

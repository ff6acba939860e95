#include "toolkit/picture_header.h"

#include <cstring>

namespace qm {

// The memory bound. A picture is kept decoded at 4 bytes per pixel (the 32-bit bitmap that is
// drawn from), and while it decodes the decoder may hold a copy of its own of up to as much (an
// RLE bitmap decodes to 32 bits a pixel, a JPEG to 24). 512 MiB is 134 million pixels: a
// 100-megapixel camera picture (11648 x 8736, 407 MB) fits with room to spare, and both copies
// of the largest picture allowed (1 GiB) still fit, if only just, in the 2 GiB of address space
// of the shipped 32-bit program. A 65000 x 65000 JPEG would take 16 GB; the few real pictures
// between the two are panoramas, and a refused picture costs one skipped tick.
bool decodedSizeFits(uint64_t width, uint64_t height) {
  constexpr uint64_t kMostPixels = kLargestDecodedBytes / 4;
  return width <= kMostPixels && height <= kMostPixels && width * height <= kMostPixels;
}

const char* describe(Refusal refusal) {
  switch (refusal) {
    case Refusal::kNone:
      return "accepted";
    case Refusal::kUnknownFormat:
      return "not a BMP, JPEG or GIF file";
    case Refusal::kTruncated:
      return "header cut short";
    case Refusal::kMalformed:
      return "malformed header";
    case Refusal::kEmpty:
      return "declares no pixels";
    case Refusal::kTooLarge:
      return "declares a picture too large to decode";
    case Refusal::kTooFewBytes:
      return "too short for the picture it declares";
  }
  return "refused";
}

namespace {

struct Refused {
  Refusal why;
};

[[noreturn]] void refuse(Refusal why) { throw Refused{why}; }

uint32_t le16(const uint8_t* b) { return uint32_t{b[0]} | uint32_t{b[1]} << 8; }
uint32_t le32(const uint8_t* b) { return le16(b) | le16(b + 2) << 16; }
uint32_t be16(const uint8_t* b) { return uint32_t{b[0]} << 8 | b[1]; }

// Bounded reads: a request that would pass the end of the file refuses it as truncated.
class Reader {
 public:
  explicit Reader(ByteSource& source) : source_(source), size_(source.size()) {}
  uint64_t size() const { return size_; }
  void read(uint64_t offset, size_t length, uint8_t* out) {
    if (offset > size_ || length > size_ - offset || !source_.read(offset, length, out))
      refuse(Refusal::kTruncated);
  }
  uint8_t byte(uint64_t offset) {
    uint8_t value = 0;
    read(offset, 1, &value);
    return value;
  }
  uint32_t be16(uint64_t offset) {
    uint8_t b[2];
    read(offset, 2, b);
    return qm::be16(b);
  }

 private:
  ByteSource& source_;
  uint64_t size_;
};

void judgeSize(uint64_t width, uint64_t height) {
  if (width == 0 || height == 0) refuse(Refusal::kEmpty);
  if (!decodedSizeFits(width, height)) refuse(Refusal::kTooLarge);
}

uint64_t ceilDiv(uint64_t value, uint64_t by) { return (value + by - 1) / by; }

// ---- JPEG ---------------------------------------------------------------------------------------

// Segments before the frame header: real files have a few dozen (APP segments for metadata,
// an ICC profile in 64 KB pieces, tables); past these limits the file is taken as hostile.
constexpr int kMostJpegSegments = 4096;
// Bytes stepped over one by one while looking for a marker: fill bytes, and stray bytes that a
// tolerant decoder skips too.
constexpr uint64_t kMostJpegScannedBytes = 1 << 20;

// SOF0-3, 5-7 (Huffman) and 9-11, 13-15 (arithmetic); C4, C8 and CC are other segments.
bool isFrameMarker(uint8_t code) {
  return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

PictureHeader readJpegFrame(Reader& file, uint8_t code, uint64_t at, uint32_t length) {
  uint8_t frame[8 + 3 * 255];
  if (length < 8) refuse(Refusal::kMalformed);
  file.read(at, 8, frame);
  const uint32_t height = be16(frame + 3), width = be16(frame + 5), components = frame[7];
  if (components == 0 || length != 8 + 3 * components) refuse(Refusal::kMalformed);
  file.read(at + 8, 3 * components, frame + 8);
  uint32_t mostH = 1, mostV = 1;
  for (uint32_t c = 0; c < components; ++c) {
    const uint32_t h = frame[9 + 3 * c] >> 4, v = frame[9 + 3 * c] & 15;
    if (h < 1 || h > 4 || v < 1 || v > 4) refuse(Refusal::kMalformed);
    mostH = h > mostH ? h : mostH;
    mostV = v > mostV ? v : mostV;
  }
  // A height of zero defers it to a DNL segment after the first scan, which decoders refuse too.
  judgeSize(width, height);

  // Least bytes, Huffman-coded frames: every 8x8 block of every component begins with the
  // Huffman code of its DC difference (in a sequential scan, or in the first DC scan of a
  // progressive one), and a Huffman code is at least one bit long. A component sampled h/hmax,
  // v/vmax is ceil(ceil(W h / hmax) / 8) x ceil(ceil(H v / vmax) / 8) blocks, so the file holds
  // at least one bit per block. That is 1/64 bit per pixel and less, where real photos spend 0.5
  // to 5 bits: a 100-megapixel 4:2:0 photo needs 293 KB by this rule and is 20 to 50 MB.
  // Arithmetic coding can code a flat block in far less than a bit: for it, the memory bound only.
  if (code < 0xC8) {
    uint64_t blocks = 0;
    for (uint32_t c = 0; c < components; ++c) {
      const uint32_t h = frame[9 + 3 * c] >> 4, v = frame[9 + 3 * c] & 15;
      blocks += ceilDiv(ceilDiv(uint64_t{width} * h, mostH), 8) *
                ceilDiv(ceilDiv(uint64_t{height} * v, mostV), 8);
    }
    if (file.size() < ceilDiv(blocks, 8)) refuse(Refusal::kTooFewBytes);
  }
  PictureHeader header;
  header.format = PictureFormat::kJpeg;
  header.width = width;
  header.height = height;
  return header;
}

// Walks the segments after the start marker to the first frame header. Every step moves forward
// (a segment length below 2 is refused), so a file whose lengths would lead back cannot loop.
PictureHeader readJpeg(Reader& file) {
  uint64_t at = 2, scanned = 0;
  for (int segments = 0; segments < kMostJpegSegments; ++segments) {
    // A marker: FF, any fill FFs, then a code other than 00 (FF 00 outside image data is stray).
    uint8_t previous = 0, code = file.byte(at++);
    while (previous != 0xFF || code == 0xFF || code == 0x00) {
      if (++scanned > kMostJpegScannedBytes) refuse(Refusal::kMalformed);
      previous = code;
      code = file.byte(at++);
    }
    if ((code >= 0xD0 && code <= 0xD7) || code == 0x01) continue;  // markers without a segment
    // Another start, the end or image data before any frame header.
    if (code == 0xD8 || code == 0xD9 || code == 0xDA) refuse(Refusal::kMalformed);
    const uint32_t length = file.be16(at);
    if (length < 2) refuse(Refusal::kMalformed);
    if (isFrameMarker(code)) return readJpegFrame(file, code, at, length);
    at += length;
  }
  refuse(Refusal::kMalformed);
}

// ---- GIF ----------------------------------------------------------------------------------------

struct SubBlocks {
  uint64_t end;        // just past the zero terminator
  uint64_t dataBytes;  // the bytes they carry
};

SubBlocks skipSubBlocks(Reader& file, uint64_t at) {
  SubBlocks blocks{at, 0};
  for (uint8_t length = file.byte(blocks.end++); length != 0; length = file.byte(blocks.end++)) {
    blocks.dataBytes += length;
    blocks.end += length;
  }
  return blocks;
}

uint64_t paletteBytes(uint8_t flags) { return flags & 0x80 ? 3ull << ((flags & 7) + 1) : 0; }

PictureHeader readGif(Reader& file) {
  uint8_t screen[7];
  file.read(6, 7, screen);
  // The logical screen holds no pixels of its own, but a decoder may build the frame on it.
  if (!decodedSizeFits(le16(screen), le16(screen + 2))) refuse(Refusal::kTooLarge);
  uint64_t at = 13 + paletteBytes(screen[4]);
  for (;;) {
    const uint8_t introducer = file.byte(at);
    if (introducer == 0x21) {  // extension: label, then sub-blocks
      at = skipSubBlocks(file, at + 2).end;
      continue;
    }
    if (introducer != 0x2C) refuse(Refusal::kMalformed);  // the trailer, or junk, before any image
    uint8_t image[9];
    file.read(at + 1, 9, image);
    const uint32_t width = le16(image + 4), height = le16(image + 6);
    at += 10 + paletteBytes(image[8]);
    const uint8_t minCodeSize = file.byte(at);
    if (minCodeSize < 1 || minCodeSize > 11) refuse(Refusal::kMalformed);
    judgeSize(width, height);
    const SubBlocks data = skipSubBlocks(file, at + 1);
    // Least bytes: while codes are w bits wide the table has fewer than 2^w entries, and no
    // entry is longer than the table, so a code of w bits yields fewer than 2^w pixels: at most
    // 4096 pixels per 12 bits, about 2731 per byte of image data, whatever the widths. No encoder
    // gets near it: a flat 2000 x 2000 frame, the best case, takes 3.7 KB; this asks 1.5 KB.
    if (uint64_t{width} * height * 12 > data.dataBytes * 8 * 4096) refuse(Refusal::kTooFewBytes);
    // The first frame is copied to memory whole: it counts against the same bound.
    if (data.end > kLargestDecodedBytes) refuse(Refusal::kTooLarge);
    PictureHeader header;
    header.format = PictureFormat::kGif;
    header.width = width;
    header.height = height;
    header.firstFrameEnd = data.end;
    return header;
  }
}

// ---- BMP ----------------------------------------------------------------------------------------

PictureHeader readBmp(Reader& file) {
  uint8_t info[124];
  file.read(14, 4, info);
  const uint32_t infoSize = le32(info);
  // 12: the old core header with unsigned 16-bit sizes. 40, 52, 56, 108, 124: the Windows
  // headers. Up to 64 otherwise: the OS/2 2.x header, whose compressions 3 and 4 differ.
  const bool core = infoSize == 12;
  const bool windows =
      infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 108 || infoSize == 124;
  if (!core && !windows && (infoSize < 16 || infoSize > 64)) refuse(Refusal::kMalformed);
  file.read(14, infoSize, info);
  int64_t width, height;
  uint32_t bitCount, compression = 0;
  if (core) {
    width = le16(info + 4);
    height = le16(info + 6);
    bitCount = le16(info + 10);
  } else {
    width = static_cast<int32_t>(le32(info + 4));
    height = static_cast<int32_t>(le32(info + 8));  // negative: rows stored top-down
    bitCount = le16(info + 14);
    if (infoSize >= 20) compression = le32(info + 16);
  }
  if (width < 0) refuse(Refusal::kMalformed);
  if (height < 0) height = -height;
  judgeSize(static_cast<uint64_t>(width), static_cast<uint64_t>(height));
  const uint64_t w = static_cast<uint64_t>(width), h = static_cast<uint64_t>(height);

  uint64_t leastBytes = 0;
  const bool bitfields = windows && (compression == 3 || compression == 6);
  if (compression == 0 || bitfields) {
    // Least bytes, uncompressed: every row padded to 4 bytes, the last one maybe unpadded.
    if (bitCount != 1 && bitCount != 2 && bitCount != 4 && bitCount != 8 && bitCount != 16 &&
        bitCount != 24 && bitCount != 32)
      refuse(Refusal::kMalformed);
    leastBytes = ceilDiv(w * bitCount, 32) * 4 * (h - 1) + ceilDiv(w * bitCount, 8);
  } else if (compression == 1 || compression == 2 || (!windows && compression == 4)) {
    // Least bytes, run-length coded (RLE8, RLE4, OS/2 RLE24): a run is a count of at most 255
    // pixels and one colour (2 bytes; 4 for RLE24); literal pixels cost more. Escapes that skip
    // pixels (end of line, delta, end of picture) leave them unset: a real RLE picture codes
    // its rows, and a file that declares mostly unset pixels is a bomb.
    leastBytes = ceilDiv(w * h, 255) * (compression == 4 ? 4 : 2);
  }
  // Other compressions (JPEG or PNG inside, OS/2 Huffman): the memory bound only.
  if (file.size() < leastBytes) refuse(Refusal::kTooFewBytes);
  PictureHeader header;
  header.format = PictureFormat::kBmp;
  header.width = static_cast<uint32_t>(w);
  header.height = static_cast<uint32_t>(h);
  return header;
}

}  // namespace

PictureHeader readPictureHeader(ByteSource& source) {
  Reader file(source);
  try {
    uint8_t magic[6] = {};
    file.read(0, file.size() < 6 ? static_cast<size_t>(file.size()) : 6, magic);
    if (magic[0] == 'B' && magic[1] == 'M') return readBmp(file);
    if (magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF) return readJpeg(file);
    if (std::memcmp(magic, "GIF87a", 6) == 0 || std::memcmp(magic, "GIF89a", 6) == 0)
      return readGif(file);
    refuse(Refusal::kUnknownFormat);
  } catch (const Refused& refused) {
    PictureHeader header;
    header.refusal = refused.why;
    return header;
  }
}

}  // namespace qm

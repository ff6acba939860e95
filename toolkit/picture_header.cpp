#include "toolkit/picture_header.h"

#include <algorithm>
#include <cstring>

namespace qm {

// The memory bound. While a picture decodes, the decoder holds buffers of its own: the whole
// picture at its own depth (3 bytes a pixel for a colour JPEG, 4 for an RLE bitmap), and for a
// JPEG of several scans every coefficient (2 bytes a sample). What the show keeps is the size it
// draws: the screen's at most, but a square picture whole. 600 MiB lets a 100-megapixel camera
// photo decode (11648 x 8736, 4:2:0: 305 MB of pixels, and as much again of coefficients when
// progressive) and keeps the peak of the shipped 32-bit program under 700 MB, well inside its
// address space. The few real pictures beyond it are panoramas, and a refused picture costs one
// skipped tick.
bool decodedSizeFits(uint64_t width, uint64_t height) {
  constexpr uint64_t kMostPixels = kLargestDecodeBytes / 4;
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
    case Refusal::kUnsupported:
      return "coded in a way no decoder here reads";
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

PictureHeader judged(PictureFormat format, uint64_t width, uint64_t height, uint64_t decodeBytes) {
  // The show never scales a square picture: it is kept whole at 4 bytes a pixel, and the one on
  // the screen stays while the next decodes.
  if (width == height) decodeBytes += 2 * width * height * 4;
  if (decodeBytes > kLargestDecodeBytes) refuse(Refusal::kTooLarge);
  PictureHeader header;
  header.format = format;
  header.width = static_cast<uint32_t>(width);
  header.height = static_cast<uint32_t>(height);
  return header;
}

uint64_t ceilDiv(uint64_t value, uint64_t by) { return (value + by - 1) / by; }

// ---- JPEG ---------------------------------------------------------------------------------------

// Bytes stepped over one by one while looking for a marker: fill bytes, and stray bytes that a
// tolerant decoder skips too.
constexpr uint64_t kMostJpegScannedBytes = 1 << 20;

// SOF0-3, 5-7 (Huffman) and 9-11, 13-15 (arithmetic); C4, C8 and CC are other segments.
bool isFrameMarker(uint8_t code) {
  return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

// The code of the next marker that has a segment; at moves to its length. A marker is FF, any
// fill FFs, then a code other than 00 (FF 00 outside image data is stray).
uint8_t nextSegment(Reader& file, uint64_t& at, uint64_t& scanned) {
  for (;;) {
    uint8_t previous = 0, code = file.byte(at++);
    while (previous != 0xFF || code == 0xFF || code == 0x00) {
      if (++scanned > kMostJpegScannedBytes) refuse(Refusal::kMalformed);
      previous = code;
      code = file.byte(at++);
    }
    if ((code < 0xD0 || code > 0xD7) && code != 0x01) return code;  // not a marker on its own
  }
}

struct JpegFrame {
  uint32_t width, height, components;
  uint64_t blocks = 0;            // 8x8 blocks of all components
  uint64_t coefficientBytes = 0;  // what a decoder holding every block takes (2 bytes a sample)
};

JpegFrame readJpegFrame(Reader& file, uint8_t code, uint64_t at, uint32_t length) {
  uint8_t frame[8 + 3 * 255];
  file.read(at, 8, frame);
  JpegFrame read{be16(frame + 5), be16(frame + 3), frame[7]};
  if (read.components == 0 || length != 8 + 3 * read.components) refuse(Refusal::kMalformed);
  file.read(at + 8, 3 * read.components, frame + 8);
  uint32_t mostH = 1, mostV = 1;
  for (uint32_t c = 0; c < read.components; ++c) {
    const uint32_t h = frame[9 + 3 * c] >> 4, v = frame[9 + 3 * c] & 15;
    if (h < 1 || h > 4 || v < 1 || v > 4) refuse(Refusal::kMalformed);
    mostH = h > mostH ? h : mostH;
    mostV = v > mostV ? v : mostV;
  }
  // A height of zero defers it to a DNL segment after the first scan, which decoders refuse too.
  judgeSize(read.width, read.height);
  // Arithmetic coding: Windows' own decoder does not read it, and a flat block can take far
  // less than a bit, so no least-bytes rule would hold.
  if (code > 0xC8) refuse(Refusal::kUnsupported);
  // A component sampled h/hmax, v/vmax is ceil(W h / hmax / 8) x ceil(H v / vmax / 8) blocks;
  // a decoder keeping them all rounds each side up to whole units of h and v blocks.
  for (uint32_t c = 0; c < read.components; ++c) {
    const uint32_t h = frame[9 + 3 * c] >> 4, v = frame[9 + 3 * c] & 15;
    const uint64_t across = ceilDiv(uint64_t{read.width} * h, mostH * 8),
                   down = ceilDiv(uint64_t{read.height} * v, mostV * 8);
    read.blocks += across * down;
    read.coefficientBytes += ceilDiv(across, h) * h * ceilDiv(down, v) * v * 128;
  }
  // Least bytes: every block begins with the Huffman code of its DC difference (in a sequential
  // scan, or in the first DC scan of a progressive one), at least one bit long. That is 1/64 bit
  // per pixel and less, where real photos spend 0.5 to 5 bits: a 100-megapixel 4:2:0 photo
  // needs 293 KB by this rule and is 20 to 50 MB.
  if (file.size() < ceilDiv(read.blocks, 8)) refuse(Refusal::kTooFewBytes);
  return read;
}

// The components of the first scan from at on; 0 when no scan header can be read.
uint32_t firstScanComponents(Reader& file, uint64_t at, uint64_t scanned) {
  try {
    for (int segments = 0; segments < kMostJpegSegments; ++segments) {
      const uint8_t code = nextSegment(file, at, scanned);
      if (code == 0xDA) return file.byte(at + 2);
      const uint32_t length = file.be16(at);
      if (code == 0xD9 || length < 2) return 0;
      at += length;
    }
  } catch (const Refused&) {
  }
  return 0;
}

// Walks the segments after the start marker to the first frame header. Every step moves forward
// (a segment length below 2 is refused), so a file whose lengths would lead back cannot loop.
PictureHeader readJpeg(Reader& file) {
  uint64_t at = 2, scanned = 0;
  for (int segments = 0; segments < kMostJpegSegments; ++segments) {
    const uint8_t code = nextSegment(file, at, scanned);
    // Another start, the end or image data before any frame header.
    if (code == 0xD8 || code == 0xD9 || code == 0xDA) refuse(Refusal::kMalformed);
    const uint32_t length = file.be16(at);
    if (length < 2) refuse(Refusal::kMalformed);
    if (!isFrameMarker(code)) {
      at += length;
      continue;
    }
    const JpegFrame frame = readJpegFrame(file, code, at, length);
    // The decoder writes the whole picture, grey or 3 or 4 channels; a progressive frame, or
    // one whose first scan leaves components for later ones, has it keep every coefficient.
    const uint64_t pixels = uint64_t{frame.width} * frame.height;
    const uint64_t channels = frame.components == 1  ? 1
                              : frame.components < 3 ? 3
                                                     : frame.components;
    const bool everyBlockKept = code == 0xC2 || code == 0xC6 ||
                                firstScanComponents(file, at + length, scanned) < frame.components;
    return judged(PictureFormat::kJpeg, frame.width, frame.height,
                  pixels * channels + (everyBlockKept ? frame.coefficientBytes : 0));
  }
  refuse(Refusal::kMalformed);
}

// ---- GIF ----------------------------------------------------------------------------------------

struct SubBlocks {
  uint64_t end;        // just past the zero terminator, or past the block that reached most
  uint64_t dataBytes;  // the bytes they carry
};

SubBlocks skipSubBlocks(Reader& file, uint64_t at, uint64_t most = UINT64_MAX) {
  SubBlocks blocks{at, 0};
  for (uint8_t length = file.byte(blocks.end++); length != 0; length = file.byte(blocks.end++)) {
    blocks.dataBytes += length;
    blocks.end += length;
    if (blocks.dataBytes < most) continue;
    if (blocks.end > file.size()) refuse(Refusal::kTruncated);
    return blocks;
  }
  return blocks;
}

// The most LZW data a frame's pixels can use. Every code but the clear and end codes yields at
// least one pixel, and none is wider than 12 bits. An encoder may clear the table before any
// code (one that keeps its codes narrow clears every few codes, at the least code size before
// every one), so n pixels take at most n pixel codes, n clears, one more clear and the end code:
// 2n + 2 codes of 12 bits, 3n + 3 bytes. What follows is never decoded into the frame; cut
// there, the stream decodes like any truncated one.
uint64_t mostGifDataBytes(uint64_t pixels) { return ceilDiv((2 * pixels + 2) * 12, 8); }

uint64_t paletteBytes(uint8_t flags) { return flags & 0x80 ? 3ull << ((flags & 7) + 1) : 0; }

PictureHeader readGif(Reader& file) {
  uint8_t screen[7];
  file.read(6, 7, screen);
  // The logical screen holds no pixels of its own, but a decoder may build the frame on it.
  if (!decodedSizeFits(le16(screen), le16(screen + 2))) refuse(Refusal::kTooLarge);
  uint64_t at = 13 + paletteBytes(screen[4]);
  PictureHeader::Span screenSpan{0, at}, control;
  for (;;) {
    const uint8_t introducer = file.byte(at);
    if (introducer == 0x21) {  // extension: label, then sub-blocks
      const uint64_t end = skipSubBlocks(file, at + 2).end;
      if (file.byte(at + 1) == 0xF9) control = {at, end};  // graphic control: the last one counts
      at = end;
      continue;
    }
    if (introducer != 0x2C) refuse(Refusal::kMalformed);  // the trailer, or junk, before any image
    const uint64_t imageStart = at;
    uint8_t image[9];
    file.read(at + 1, 9, image);
    const uint32_t width = le16(image + 4), height = le16(image + 6);
    at += 10 + paletteBytes(image[8]);
    const uint8_t minCodeSize = file.byte(at);
    if (minCodeSize < 1 || minCodeSize > 11) refuse(Refusal::kMalformed);
    judgeSize(width, height);
    // Walked and copied up to the sub-block that reaches what the pixels can use, without the
    // terminator: the copy gets one of its own.
    const uint64_t most = mostGifDataBytes(uint64_t{width} * height);
    const SubBlocks data = skipSubBlocks(file, at + 1, most);
    const uint64_t dataEnd = data.dataBytes < most ? data.end - 1 : data.end;
    // Least bytes: while codes are w bits wide the table has fewer than 2^w entries, and no
    // entry is longer than the table, so a code of w bits yields fewer than 2^w pixels: at most
    // 4096 pixels per 12 bits, about 2731 per byte of image data, whatever the widths. No encoder
    // gets near it: a flat 2000 x 2000 frame, the best case, takes 3.7 KB; this asks 1.5 KB.
    if (uint64_t{width} * height * 12 > data.dataBytes * 8 * 4096) refuse(Refusal::kTooFewBytes);
    // The first frame is copied to memory whole, and decoded to at most 4 bytes a pixel.
    const uint64_t frameBytes =
        screenSpan.end + 768 + (control.end - control.start) + (dataEnd - imageStart) + 2;
    PictureHeader header =
        judged(PictureFormat::kGif, width, height, uint64_t{width} * height * 4 + frameBytes);
    header.gifScreen = screenSpan;
    header.gifControl = control;
    header.gifImage = {imageStart, dataEnd};
    header.gifHasPalette = ((screen[4] | image[8]) & 0x80) != 0;
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

  // The decoder decodes to 4 bytes a pixel, and keeps the rows as stored of an uncoded picture.
  uint64_t leastBytes = 0, stored = 0;
  const bool bitfields = windows && (compression == 3 || compression == 6);
  if (compression == 0 || bitfields) {
    // Least bytes, uncompressed: every row padded to 4 bytes, the last one maybe unpadded.
    if (bitCount != 1 && bitCount != 2 && bitCount != 4 && bitCount != 8 && bitCount != 16 &&
        bitCount != 24 && bitCount != 32)
      refuse(Refusal::kMalformed);
    leastBytes = ceilDiv(w * bitCount, 32) * 4 * (h - 1) + ceilDiv(w * bitCount, 8);
    stored = leastBytes;
  } else if (compression == 1 || compression == 2 || (!windows && compression == 4)) {
    // Least bytes, run-length coded (RLE8, RLE4, OS/2 RLE24): a run is a count of at most 255
    // pixels and one colour (2 bytes; 4 for RLE24); literal pixels cost more. Escapes that skip
    // pixels (end of line, delta, end of picture) leave them unset: a real RLE picture codes
    // its rows, and a file that declares mostly unset pixels is a bomb.
    leastBytes = ceilDiv(w * h, 255) * (compression == 4 ? 4 : 2);
  }
  // Other compressions (JPEG or PNG inside, OS/2 Huffman): the memory bound only.
  if (file.size() < leastBytes) refuse(Refusal::kTooFewBytes);
  return judged(PictureFormat::kBmp, w, h, w * h * 4 + stored);
}

}  // namespace

PictureHeader readPictureHeader(ByteSource& source) {
  Reader file(source);
  try {
    uint8_t magic[6] = {};
    file.read(0, static_cast<size_t>(std::min<uint64_t>(file.size(), sizeof magic)), magic);
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

std::vector<uint8_t> gifFirstFrame(ByteSource& file, const PictureHeader& header) {
  std::vector<uint8_t> frame;
  auto copy = [&](PictureHeader::Span span) {
    const size_t at = frame.size();
    frame.resize(at + static_cast<size_t>(span.end - span.start));
    return file.read(span.start, frame.size() - at, frame.data() + at);
  };
  if (!copy(header.gifScreen) || frame.size() < 13) return {};
  if (!header.gifHasPalette) {
    // A decoder is to use a palette of its own, and some read past a missing one: black, white,
    // then greys, as a global table of 256 colours.
    frame[10] = static_cast<uint8_t>((frame[10] & 0x70) | 0x87);
    for (int i = 0; i < 256; ++i) {
      const uint8_t level = static_cast<uint8_t>(i == 1 ? 255 : i);
      frame.insert(frame.end(), {level, level, level});
    }
  }
  if (!copy(header.gifControl) || !copy(header.gifImage)) return {};
  frame.insert(frame.end(), {0x00, 0x3B});  // the data's terminator, the trailer
  return frame;
}

}  // namespace qm

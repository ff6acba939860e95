#pragma once
// Picture files made byte by byte, for tests of what the loader reads before decoding: small
// good files of each format, and files that declare far more than they hold.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qm::test_files {

using Bytes = std::vector<uint8_t>;

inline void put16le(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void put32le(Bytes& out, uint32_t value) {
  put16le(out, value & 0xFFFF);
  put16le(out, value >> 16);
}

inline void put16be(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

inline void append(Bytes& out, const Bytes& more) {
  out.insert(out.end(), more.begin(), more.end());
}

inline Bytes operator+(Bytes left, const Bytes& right) {
  append(left, right);
  return left;
}

// ---- JPEG -------------------------------------------------------------------------------------
// Baseline files whose Huffman tables hold one one-bit code each (DC difference 0, end of block),
// so that every 8x8 block is two zero bits: a flat grey picture of any size from zero bytes.

// A marker segment: FF, marker, big-endian length (counting itself), payload.
inline Bytes jpegSegment(uint8_t marker, const Bytes& payload) {
  Bytes out{0xFF, marker};
  put16be(out, static_cast<uint32_t>(payload.size() + 2));
  append(out, payload);
  return out;
}

// The frame header: one component, or three sampled 4:2:0.
inline Bytes jpegFrame(uint32_t width, uint32_t height, int components, uint8_t marker = 0xC0) {
  Bytes payload{8};
  put16be(payload, height);
  put16be(payload, width);
  payload.push_back(static_cast<uint8_t>(components));
  for (int c = 1; c <= components; ++c) {
    payload.push_back(static_cast<uint8_t>(c));
    payload.push_back(c == 1 && components == 3 ? 0x22 : 0x11);
    payload.push_back(0);
  }
  return jpegSegment(marker, payload);
}

// How many zero bytes code every block of such a frame.
inline size_t jpegFlatDataBytes(uint32_t width, uint32_t height, int components) {
  const uint64_t mcuSide = components == 3 ? 16 : 8, blocksPerMcu = components == 3 ? 6 : 1;
  const uint64_t mcus = ((width + mcuSide - 1) / mcuSide) * ((height + mcuSide - 1) / mcuSide);
  return static_cast<size_t>((mcus * blocksPerMcu * 2 + 7) / 8);
}

inline Bytes jpegTables() {
  Bytes quant{0};
  quant.resize(65, 1);
  Bytes huffman;
  for (uint8_t tableClass : {0x00, 0x10}) {  // DC table 0, AC table 0: one code of one bit
    huffman.push_back(tableClass);
    huffman.push_back(1);
    huffman.resize(huffman.size() + 15, 0);
    huffman.push_back(0);  // the symbol: difference category 0, or end of block
  }
  return jpegSegment(0xDB, quant) + jpegSegment(0xC4, huffman);
}

inline Bytes jpegScanHeader(int components) {
  Bytes payload{static_cast<uint8_t>(components)};
  for (int c = 1; c <= components; ++c) {
    payload.push_back(static_cast<uint8_t>(c));
    payload.push_back(0);
  }
  payload.push_back(0);
  payload.push_back(63);
  payload.push_back(0);
  return jpegSegment(0xDA, payload);
}

inline const Bytes kJpegStart{0xFF, 0xD8};
inline const Bytes kJpegEnd{0xFF, 0xD9};

inline Bytes jfifSegment() {
  return jpegSegment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
}

// A whole flat-grey JPEG; dataBytes of image data, by default exactly what its blocks need.
inline Bytes jpegFile(uint32_t width, uint32_t height, int components = 1,
                      size_t dataBytes = SIZE_MAX) {
  if (dataBytes == SIZE_MAX) dataBytes = jpegFlatDataBytes(width, height, components);
  Bytes out = kJpegStart + jfifSegment() + jpegTables() + jpegFrame(width, height, components) +
              jpegScanHeader(components);
  out.resize(out.size() + dataBytes, 0);
  return out + kJpegEnd;
}

// ---- GIF --------------------------------------------------------------------------------------

// The LZW code stream of these colour indices, codes packed from the low bit up, with a clear
// code first and whenever the table of 4096 entries is full.
inline Bytes gifLzw(const Bytes& pixels, int minCodeSize) {
  Bytes out;
  uint32_t pending = 0;
  int pendingBits = 0;
  int width = minCodeSize + 1;
  auto put = [&](uint32_t code) {
    pending |= code << pendingBits;
    for (pendingBits += width; pendingBits >= 8; pendingBits -= 8) {
      out.push_back(static_cast<uint8_t>(pending));
      pending >>= 8;
    }
  };
  const uint32_t clear = 1u << minCodeSize, end = clear + 1;
  uint32_t next = end + 1;
  std::unordered_map<uint32_t, uint32_t> table;  // prefix code << 8 | index -> code
  put(clear);
  uint32_t prefix = pixels.empty() ? 0 : pixels[0];
  for (size_t i = 1; i < pixels.size(); ++i) {
    const uint32_t key = prefix << 8 | pixels[i];
    const auto found = table.find(key);
    if (found != table.end()) {
      prefix = found->second;
      continue;
    }
    put(prefix);
    if (next == 4096) {
      put(clear);
      table.clear();
      width = minCodeSize + 1;
      next = end + 1;
    } else {
      if (next == (1u << width)) ++width;
      table.emplace(key, next++);
    }
    prefix = pixels[i];
  }
  if (!pixels.empty()) put(prefix);
  // The decoder adds an entry on reading the last code and may widen its codes before the end.
  if (pixels.size() > 1 && next == (1u << width) && width < 12) ++width;
  put(end);
  if (pendingBits > 0) out.push_back(static_cast<uint8_t>(pending));
  return out;
}

// Data cut into sub-blocks of at most 255 bytes, each after its length, then a zero terminator.
inline Bytes gifSubBlocks(const Bytes& data, size_t blockSize = 255) {
  Bytes out;
  for (size_t at = 0; at < data.size(); at += blockSize) {
    const size_t length = std::min(blockSize, data.size() - at);
    out.push_back(static_cast<uint8_t>(length));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
               data.begin() + static_cast<std::ptrdiff_t>(at + length));
  }
  out.push_back(0);
  return out;
}

// An image descriptor at (0, 0) with no palette of its own, then its LZW data.
inline Bytes gifImage(uint16_t width, uint16_t height, const Bytes& lzwData,
                      uint8_t minCodeSize = 2) {
  Bytes out{0x2C, 0, 0, 0, 0};
  put16le(out, width);
  put16le(out, height);
  out.push_back(0);
  out.push_back(minCodeSize);
  return out + gifSubBlocks(lzwData);
}

// An image of one colour index throughout.
inline Bytes gifSolidImage(uint16_t width, uint16_t height, uint8_t index) {
  return gifImage(width, height, gifLzw(Bytes(size_t{width} * height, index), 2));
}

inline Bytes gifExtension(uint8_t label, const Bytes& payload) {
  return Bytes{0x21, label} + gifSubBlocks(payload);
}

// Four palette colours: index 0 red, 1 green, 2 blue, 3 white.
inline Bytes gifFile(uint16_t screenWidth, uint16_t screenHeight, const std::vector<Bytes>& blocks,
                     bool trailer = true) {
  Bytes out{'G', 'I', 'F', '8', '9', 'a'};
  put16le(out, screenWidth);
  put16le(out, screenHeight);
  append(out, {0x81, 0, 0, 220, 0, 0, 0, 200, 0, 0, 0, 230, 255, 255, 255});
  for (const Bytes& block : blocks) append(out, block);
  if (trailer) out.push_back(0x3B);
  return out;
}

// ---- BMP --------------------------------------------------------------------------------------

enum BmpCompression : uint32_t { kBmpRgb = 0, kBmpRle8 = 1, kBmpRle4 = 2, kBmpBitfields = 3 };

// An info header of the given size: 12 is the old core header with 16-bit sizes; from 16 on,
// 32-bit signed sizes, then the compression from 20 bytes on, the rest zero.
inline Bytes bmpInfoHeader(int32_t width, int32_t height, uint16_t bitCount,
                           uint32_t compression = kBmpRgb, uint32_t size = 40) {
  Bytes out;
  put32le(out, size);
  if (size == 12) {
    put16le(out, static_cast<uint16_t>(width));
    put16le(out, static_cast<uint16_t>(height));
  } else {
    put32le(out, static_cast<uint32_t>(width));
    put32le(out, static_cast<uint32_t>(height));
  }
  put16le(out, 1);
  put16le(out, bitCount);
  if (size >= 20) put32le(out, compression);
  out.resize(size, 0);
  return out;
}

// File header, info header, palette, pixels; the pixels start where the header says.
inline Bytes bmpFile(const Bytes& infoHeader, const Bytes& palette, const Bytes& pixels) {
  Bytes out{'B', 'M'};
  const uint32_t offset = static_cast<uint32_t>(14 + infoHeader.size() + palette.size());
  put32le(out, static_cast<uint32_t>(offset + pixels.size()));
  put32le(out, 0);
  put32le(out, offset);
  return out + infoHeader + palette + pixels;
}

// A grey ramp of 256 colours, four bytes each.
inline Bytes bmpPalette256() {
  Bytes out;
  for (uint32_t i = 0; i < 256; ++i) append(out, {uint8_t(i), uint8_t(i), uint8_t(i), 0});
  return out;
}

// An 8-bit run-length coded picture in which every row is runs of at most 255 pixels of colour
// index, each row closed by an end of line, the whole by an end of picture.
inline Bytes bmpRle8Rows(uint32_t width, uint32_t rows, uint8_t index) {
  Bytes out;
  for (uint32_t y = 0; y < rows; ++y) {
    for (uint32_t left = width; left > 0;) {
      const uint32_t run = std::min<uint32_t>(left, 255);
      append(out, {uint8_t(run), index});
      left -= run;
    }
    append(out, {0, 0});
  }
  append(out, {0, 1});
  return out;
}

}  // namespace qm::test_files

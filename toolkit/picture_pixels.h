#pragma once
// Pixels of a decoded picture, 32 bits each (four 8-bit channels, rows top down): shrunk to the
// size they are drawn at and turned upright, the same on every platform.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolkit/pixel_lanes.h"

namespace qm {

// Shrinks by area averaging: each result pixel is the mean of the source area it covers,
// partly covered source pixels weighted by the part covered, so no source pixel is skipped
// and no detail aliases (a high-quality filter for shrinking; it never enlarges). Rows come in
// from top to bottom, in bands of any height, so the whole source need never be held at once.
class AreaShrinker {
 public:
  // width and height are clamped to 1 .. the source's. target holds width x height pixels.
  // The source holds fewer than 2^29 pixels and is narrower than 2^24 (decodes are bounded far
  // below that).
  AreaShrinker(int sourceWidth, int sourceHeight, int width, int height, uint32_t* target);
  int width() const { return width_; }
  int height() const { return height_; }
  // The next count source rows, stride pixels apart. Rows past the source's height are ignored.
  void addRows(const uint32_t* rows, int count, size_t stride);
  // True once every source row has come in and every target row is written.
  bool done() const { return sourceRow_ == sourceHeight_; }

 private:
  struct Share {
    int first;        // the target column (or row) that gets weight
    uint32_t weight;  // the rest, out of the source's size, goes to first + 1
  };
  static std::vector<Share> shares(int sourceSize, int size);
  void addToLanes(const uint32_t* row, const uint32_t* second);
  void flushLanes(uint32_t weight, uint32_t rest);
  void emitRow();

  int sourceWidth_, sourceHeight_, width_, height_;
  uint32_t* target_;
  std::vector<Share> columns_, rows_;
  // Of each target column, the last source column it shares, and that column's weight in it.
  std::vector<int> lastColumns_;
  std::vector<uint32_t> lastShares_;
  // Source rows summed down each column, two channels to a word in 16-bit lanes (blue and red,
  // green and the top byte): cheap at 32 bits, and exact for up to 257 rows.
  std::vector<uint32_t> lanes_;
  int laneRows_ = 0, laneLimit_ = 256;
  bool sse2_ = lanes::haveSse2();
  // The target row being summed and the one after it, 4 channels per target pixel in its
  // order.
  std::vector<uint64_t> current_, next_;
  int sourceRow_ = 0;
  int targetRow_ = 0;
  lanes::Divisor divisor_;  // of the source's area
};

// Turns width x height pixels upright for an Exif orientation (1 to 8; anything else copies):
// target receives the picture as it is meant to be seen, height x width for orientations 5 to
// 8. source and target must not overlap.
void turnPixels(const uint32_t* source, int width, int height, int orientation, uint32_t* target);

}  // namespace qm

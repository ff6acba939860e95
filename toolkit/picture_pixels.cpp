#include "toolkit/picture_pixels.h"

#include <algorithm>
#include <cstring>

#include "toolkit/exif_orientation.h"
#include "toolkit/pixel_lanes.h"

namespace qm {

AreaShrinker::AreaShrinker(int sourceWidth, int sourceHeight, int width, int height,
                           uint32_t* target)
    : sourceWidth_(std::max(sourceWidth, 1)),
      sourceHeight_(std::max(sourceHeight, 1)),
      width_(std::clamp(width, 1, sourceWidth_)),
      height_(std::clamp(height, 1, sourceHeight_)),
      target_(target),
      columns_(shares(sourceWidth_, width_)),
      rows_(shares(sourceHeight_, height_)),
      lastColumns_(static_cast<size_t>(width_)),
      lastShares_(static_cast<size_t>(width_)),
      lanes_(static_cast<size_t>(sourceWidth_) * 2),
      current_(static_cast<size_t>(width_) * 4),
      next_(current_.size()),
      divisor_(lanes::divisorOf(static_cast<uint32_t>(sourceWidth_) *
                                static_cast<uint32_t>(sourceHeight_))) {
  // 16-bit lanes hold 256 rows of 255; a target pixel's sum across, 255 x the source's width
  // for each row.
  laneLimit_ =
      static_cast<int>(std::clamp<uint64_t>(0xFFFFFFFFu / (255 * uint64_t(sourceWidth_)), 1, 256));
  for (int x = 0; x < sourceWidth_; ++x) {
    const Share share = columns_[static_cast<size_t>(x)];
    lastColumns_[static_cast<size_t>(share.first)] = x;
    lastShares_[static_cast<size_t>(share.first)] = share.weight;
  }
}

// Measured in units where a source pixel is `size` long and a target pixel `sourceSize` long,
// each source pixel lies across one target pixel or across the border of two.
std::vector<AreaShrinker::Share> AreaShrinker::shares(int sourceSize, int size) {
  std::vector<Share> result(static_cast<size_t>(sourceSize));
  for (int i = 0; i < sourceSize; ++i) {
    const uint64_t start = uint64_t(i) * size, end = start + size;
    const uint64_t first = start / sourceSize, border = (first + 1) * sourceSize;
    result[static_cast<size_t>(i)] = {static_cast<int>(first),
                                      static_cast<uint32_t>(std::min(end, border) - start)};
  }
  return result;
}

void AreaShrinker::addRows(const uint32_t* rows, int count, size_t stride) {
  count = std::min(count, sourceHeight_ - sourceRow_);
  if (width_ == sourceWidth_ && height_ == sourceHeight_) {  // nothing to shrink: copy
    for (int r = 0; r < count; ++r, rows += stride)
      std::memcpy(target_ + static_cast<size_t>(sourceRow_++) * width_, rows,
                  static_cast<size_t>(width_) * 4);
    return;
  }
  const uint32_t whole = static_cast<uint32_t>(height_);
  // The target row is whole once the source rows have reached its lower border.
  auto ends = [this](int sourceRow) {
    return uint64_t(sourceRow + 1) * height_ >= uint64_t(targetRow_ + 1) * sourceHeight_;
  };
  for (int r = 0; r < count; ++r, rows += stride) {
    const Share share = rows_[static_cast<size_t>(sourceRow_)];
    if (share.weight == whole) {
      // Two rows at a time while both lie wholly inside the target row: half the lane traffic.
      const bool two = r + 1 < count && laneRows_ + 2 <= laneLimit_ && !ends(sourceRow_) &&
                       rows_[static_cast<size_t>(sourceRow_) + 1].weight == whole;
      addToLanes(rows, two ? rows + stride : nullptr);
      laneRows_ += two ? 2 : 1;
      if (two) ++r, rows += stride, ++sourceRow_;
      if (laneRows_ >= laneLimit_) flushLanes(whole, 0);
    } else {  // across a border: its own shares of this target row and the next
      if (laneRows_ > 0) flushLanes(whole, 0);
      addToLanes(rows, nullptr);
      laneRows_ = 1;
      flushLanes(share.weight, whole - share.weight);
    }
    if (ends(sourceRow_++)) {
      if (laneRows_ > 0) flushLanes(whole, 0);
      emitRow();
    }
  }
}

void AreaShrinker::addToLanes(const uint32_t* row, const uint32_t* second) {
  (sse2_ ? lanes::addSse2 : lanes::addPlain)(lanes_.data(), row, second, sourceWidth_);
}

// Sums the lanes across into the target row, each source column shared as columns_ says, and
// adds them by their weight to current_, and for a row across its lower border by the rest to
// next_. A target pixel's columns weigh the source's width in all, so laneLimit_ keeps its sum
// within 32 bits.
void AreaShrinker::flushLanes(uint32_t weight, uint32_t rest) {
  const lanes::Across shape{lastColumns_.data(), lastShares_.data(), width_,
                            static_cast<uint32_t>(width_)};
  (sse2_ ? lanes::acrossSse2 : lanes::acrossPlain)(lanes_.data(), shape, weight, rest,
                                                   current_.data(), next_.data());
  std::fill(lanes_.begin(), lanes_.end(), 0);
  laneRows_ = 0;
}

void AreaShrinker::emitRow() {
  (sse2_ ? lanes::meansSse2 : lanes::meansPlain)(
      current_.data(), width_, divisor_, target_ + static_cast<size_t>(targetRow_) * width_);
  current_.swap(next_);
  std::fill(next_.begin(), next_.end(), 0);
  ++targetRow_;
}

void turnPixels(const uint32_t* source, int width, int height, int orientation, uint32_t* target) {
  // The source pixel of target pixel (x, y) is origin + x * across + y * down: where the
  // target's top-left corner comes from, and which way its rows and columns run in the source.
  const ptrdiff_t w = width, h = height, last = (h - 1) * w;
  ptrdiff_t origin = 0, across = 1, down = w;
  switch (orientation) {
    case 2:
      origin = w - 1, across = -1, down = w;
      break;
    case 3:
      origin = last + w - 1, across = -1, down = -w;
      break;
    case 4:
      origin = last, across = 1, down = -w;
      break;
    case 5:
      origin = 0, across = w, down = 1;
      break;
    case 6:
      origin = last, across = -w, down = 1;
      break;
    case 7:
      origin = last + w - 1, across = -w, down = -1;
      break;
    case 8:
      origin = w - 1, across = w, down = -1;
      break;
    default:
      break;
  }
  const bool sideways = swapsSides(orientation);
  const ptrdiff_t targetWidth = sideways ? h : w, targetHeight = sideways ? w : h;
  for (ptrdiff_t y = 0; y < targetHeight; ++y) {
    const uint32_t* from = source + origin + y * down;
    for (ptrdiff_t x = 0; x < targetWidth; ++x) *target++ = from[x * across];
  }
}

}  // namespace qm

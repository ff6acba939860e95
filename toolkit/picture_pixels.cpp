#include "toolkit/picture_pixels.h"

#include <algorithm>
#include <cstring>

#include "toolkit/exif_orientation.h"

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
      lanes_(static_cast<size_t>(sourceWidth_) * 2),
      current_(static_cast<size_t>(width_) * 4),
      next_(current_.size()),
      area_(static_cast<uint32_t>(sourceWidth_) * static_cast<uint32_t>(sourceHeight_)) {
  // 16-bit lanes hold 256 rows of 255; a target pixel's sum across, 255 x the source's width
  // for each row.
  laneLimit_ =
      static_cast<int>(std::clamp<uint64_t>(0xFFFFFFFFu / (255 * uint64_t(sourceWidth_)), 1, 256));
  for (int x = 0; x < sourceWidth_; ++x)
    lastColumns_[static_cast<size_t>(columns_[static_cast<size_t>(x)].first)] = x;
  // A rounded sum is below 256 areas; shifted right it fits 32 bits.
  while ((uint64_t(area_) << 8) >> divideShift_ >= (uint64_t(1) << 32)) ++divideShift_;
  reciprocal_ =
      static_cast<uint32_t>((uint64_t(1) << (32 + divideShift_)) / std::max<uint64_t>(area_, 2));
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
  constexpr uint32_t kEven = 0x00FF00FF;  // blue and red; shifted down, green and the top byte
  uint32_t* lane = lanes_.data();
  if (second) {
    for (int x = 0; x < sourceWidth_; ++x, lane += 2) {
      const uint32_t a = row[x], b = second[x];
      lane[0] += (a & kEven) + (b & kEven);
      lane[1] += ((a >> 8) & kEven) + ((b >> 8) & kEven);
    }
    return;
  }
  for (int x = 0; x < sourceWidth_; ++x, lane += 2) {
    const uint32_t pixel = row[x];
    lane[0] += pixel & kEven;
    lane[1] += (pixel >> 8) & kEven;
  }
}

// Sums the lanes across into the target row, each source column shared as columns_ says, and
// adds them by their weight to current_, and for a row across its lower border by the rest to
// next_. A target pixel's columns weigh the source's width in all, so
// laneLimit_ keeps its sum within 32 bits.
void AreaShrinker::flushLanes(uint32_t weight, uint32_t rest) {
  const uint32_t* lane = lanes_.data();
  const uint32_t across = static_cast<uint32_t>(width_);
  uint32_t carried[4] = {};  // the rest of the column across the left border
  int x = 0;
  for (int j = 0; j < width_; ++j) {
    // The columns wholly inside target pixel j weigh `across` each; its last one is shared
    // with the next.
    uint32_t inside[4] = {};
    for (const int last = lastColumns_[static_cast<size_t>(j)]; x < last; ++x, lane += 2) {
      inside[0] += lane[0] & 0xFFFF;
      inside[1] += lane[1] & 0xFFFF;
      inside[2] += lane[0] >> 16;
      inside[3] += lane[1] >> 16;
    }
    const uint32_t share = columns_[static_cast<size_t>(x)].weight;
    const uint32_t last[4] = {lane[0] & 0xFFFF, lane[1] & 0xFFFF, lane[0] >> 16, lane[1] >> 16};
    ++x, lane += 2;
    const size_t at = static_cast<size_t>(j) * 4;
    for (int c = 0; c < 4; ++c) {
      const uint32_t sum = carried[c] + inside[c] * across + last[c] * share;
      carried[c] = last[c] * (across - share);
      current_[at + c] += uint64_t(sum) * weight;
      if (rest > 0) next_[at + c] += uint64_t(sum) * rest;
    }
  }
  std::fill(lanes_.begin(), lanes_.end(), 0);
  laneRows_ = 0;
}

void AreaShrinker::emitRow() {
  uint32_t* out = target_ + static_cast<size_t>(targetRow_) * width_;
  for (int x = 0; x < width_; ++x) {
    uint32_t pixel = 0;
    for (int c = 0; c < 4; ++c) {
      const size_t at = static_cast<size_t>(x) * 4 + c;
      const uint32_t mean = roundedMean(current_[at]);
      pixel |= std::min<uint32_t>(mean, 255) << (8 * c);
    }
    out[x] = pixel;
  }
  current_.swap(next_);
  std::fill(next_.begin(), next_.end(), 0);
  ++targetRow_;
}

// sum / area rounded half up, without a 64-bit division (a library call at 32 bits): the
// estimate is at most 2 short, and the remainder then below 3 areas, so 32 bits hold it.
uint32_t AreaShrinker::roundedMean(uint64_t sum) const {
  const uint64_t x = sum + area_ / 2;
  uint32_t quotient =
      static_cast<uint32_t>((uint64_t(uint32_t(x >> divideShift_)) * reciprocal_) >> 32);
  // Made good without branches, which would go either way at random.
  uint32_t left = uint32_t(x) - quotient * area_;
  const uint32_t once = left >= area_;
  left -= once * area_;
  return quotient + once + (left >= area_);
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

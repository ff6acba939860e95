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
      rowSums_(static_cast<size_t>(width_) * 4 + 4),
      current_(rowSums_.size()),
      next_(rowSums_.size()) {}

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
  const uint32_t whole = static_cast<uint32_t>(width_);
  for (int r = 0; r < count && sourceRow_ < sourceHeight_; ++r, rows += stride) {
    if (width_ == sourceWidth_ && height_ == sourceHeight_) {  // nothing to shrink: copy
      std::memcpy(target_ + static_cast<size_t>(sourceRow_++) * width_, rows,
                  static_cast<size_t>(width_) * 4);
      continue;
    }
    std::fill(rowSums_.begin(), rowSums_.end(), 0);
    for (int x = 0; x < sourceWidth_; ++x) {
      const Share share = columns_[static_cast<size_t>(x)];
      const uint32_t pixel = rows[x], rest = whole - share.weight;
      uint64_t* sum = &rowSums_[static_cast<size_t>(share.first) * 4];
      for (int c = 0; c < 4; ++c) {
        const uint64_t channel = (pixel >> (8 * c)) & 0xFF;
        sum[c] += channel * share.weight;
        sum[c + 4] += channel * rest;
      }
    }
    const Share share = rows_[static_cast<size_t>(sourceRow_)];
    const uint64_t rest = static_cast<uint64_t>(height_) - share.weight;
    for (size_t k = 0; k < static_cast<size_t>(width_) * 4; ++k) {
      current_[k] += rowSums_[k] * share.weight;
      next_[k] += rowSums_[k] * rest;
    }
    ++sourceRow_;
    // The target row is whole once the source rows have reached its lower border.
    if (uint64_t(sourceRow_) * height_ >= uint64_t(targetRow_ + 1) * sourceHeight_) emitRow();
  }
}

void AreaShrinker::emitRow() {
  const uint64_t total = uint64_t(sourceWidth_) * sourceHeight_;
  uint32_t* out = target_ + static_cast<size_t>(targetRow_) * width_;
  for (int x = 0; x < width_; ++x) {
    uint32_t pixel = 0;
    for (int c = 0; c < 4; ++c) {
      const uint64_t mean = (current_[static_cast<size_t>(x) * 4 + c] + total / 2) / total;
      pixel |= static_cast<uint32_t>(std::min<uint64_t>(mean, 255)) << (8 * c);
    }
    out[x] = pixel;
  }
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

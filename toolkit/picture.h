#pragma once
// Pictures as the logic sees them: a natural size in HIMETRIC (1/100 mm) and nothing else.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qm {

class Picture {
 public:
  virtual ~Picture() = default;
  // Natural size in HIMETRIC: pixels mapped 1:1 to device pixels at the screen's DPI.
  virtual int32_t widthHimetric() const = 0;
  virtual int32_t heightHimetric() const = 0;
};

using PictureRef = std::shared_ptr<const Picture>;

// The scale conversion of the show window: an inch is 2540 HIMETRIC units and 1440 twips.
constexpr float himetricToTwips(float himetric) { return himetric * 1440.0f / 2540.0f; }

// A width and a height in twips.
struct Extent {
  float width = 0;
  float height = 0;
};

// The size in twips at which a picture of the given natural size will be drawn. The loader asks
// it once it knows the natural size, and need not decode more pixels than that.
using DrawnSize = std::function<Extent(Extent natural)>;

class PictureLoader {
 public:
  virtual ~PictureLoader() = default;
  // Loads a BMP, JPEG or GIF (first frame) by full path, UTF-8. Throws Failure: 76 when the
  // folder does not exist; another code for a missing file, an empty name, a directory, a file
  // that is not a picture, a truncated or corrupt one, or one too large to decode. Without
  // drawnSize the picture is kept at its natural size. drawnSize may be called on another
  // thread, as prepare's may.
  virtual PictureRef load(const std::string& path, const DrawnSize& drawnSize = {}) = 0;
  // Says which picture a later load will ask for, so that it may be decoded ahead, while the
  // caller waits. Never fails and never changes what that load returns or fails with; it may
  // do nothing. drawnSize may be called on another thread, so it must depend on its argument
  // alone (capture by value).
  virtual void prepare(const std::string& /*path*/, const DrawnSize& /*drawnSize*/) {}
};

}  // namespace qm

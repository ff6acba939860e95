#pragma once
// Pictures as the logic sees them: a natural size in HIMETRIC (1/100 mm) and nothing else.
#include <cstdint>
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

class PictureLoader {
 public:
  virtual ~PictureLoader() = default;
  // Loads a BMP, JPEG or GIF (first frame) by full path, UTF-8. Throws Failure: 76 when the
  // folder does not exist; another code for a missing file, an empty name, a directory, a file
  // that is not a picture, a truncated or corrupt one, or one too large to decode.
  virtual PictureRef load(const std::string& path) = 0;
};

}  // namespace qm

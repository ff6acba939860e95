#pragma once
// Win32: pictures decoded by WIC into a DIB that GDI draws directly: 8-bit indexed ones as they
// are, with their palette, all others as 32-bit pixels.
#include <wincodec.h>
#include <windows.h>
#include <wrl/client.h>

#include "toolkit/picture.h"
#include "toolkit/win32/unique_handle.h"

namespace qm::win32 {

class WicPicture : public Picture {
 public:
  // bitmap holds the picture upright, at its natural size or shrunk to the size it is drawn at.
  WicPicture(UniqueHBitmap bitmap, int bitmapWidth, int bitmapHeight, int widthPixels,
             int heightPixels, int dpi);
  int32_t widthHimetric() const override { return widthHimetric_; }
  int32_t heightHimetric() const override { return heightHimetric_; }
  // Draws the whole picture into target. At its natural size it is copied pixel for pixel;
  // shrunk or stretched it is resampled once with GDI's halftone filter, and only that copy,
  // at the size it is drawn, is kept: a large picture does not hold its full size in memory.
  void drawTo(HDC target, const RECT& where) const;

 private:
  mutable UniqueHBitmap bitmap_;
  mutable int bitmapWidth_;
  mutable int bitmapHeight_;
  int32_t widthHimetric_;
  int32_t heightHimetric_;
};

class WicPictureLoader : public PictureLoader {
 public:
  // Needs COM initialised on this thread.
  WicPictureLoader();
  PictureRef load(const std::string& path, const DrawnSize& drawnSize = {}) override;
  // False when WIC could not be had: every load then fails as an invalid picture.
  bool hasFactory() const { return factory_ != nullptr; }

 private:
  Microsoft::WRL::ComPtr<IWICImagingFactory> factory_;
};

}  // namespace qm::win32

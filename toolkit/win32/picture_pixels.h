#pragma once
// Win32: a decoded picture turned upright and shrunk to the size it is drawn at, in the DIB
// section that GDI draws from.
#include <wincodec.h>
#include <windows.h>

#include <string>

#include "toolkit/win32/unique_handle.h"

namespace qm::win32 {

class PictureFile;

// The Exif orientation of a JPEG (1 to 8), or kNoOrientation for another format or a JPEG
// without a readable one: WIC's metadata reader where it answers, else our own reader of the
// head of the file (Wine's JPEG decoder offers no metadata).
int pictureOrientation(const PictureFile& file, IWICBitmapFrameDecode& frame);

// A size as shown after turning for orientation: the sides swap for 5 to 8. Its own inverse.
SIZE turnedSize(SIZE size, int orientation);

struct ShownBitmap {
  UniqueHBitmap bitmap;
  int width = 0;
  int height = 0;
};

// Copies source (width x height, 32bppBGR) into a new 32-bit top-down DIB section, shrunk by
// area averaging to `shrunk` (given in the source's own orientation, never enlarged) and then
// turned upright. The source is read in bands, so the full-size pixels are never copied whole.
// Throws Failure: out of memory, or an invalid picture when the decoder fails (path names it).
ShownBitmap shownBitmap(IWICBitmapSource& source, UINT width, UINT height, SIZE shrunk,
                        int orientation, const std::string& path);

}  // namespace qm::win32

#pragma once
// Win32: a decoded picture turned upright and shrunk to the size it is drawn at, in the DIB
// section that GDI draws from.
#include <wincodec.h>
#include <windows.h>

#include <string>

#include "toolkit/colour_profile.h"
#include "toolkit/win32/unique_handle.h"

namespace qm::win32 {

class PictureFile;

// Where loading pictures spends its time, in milliseconds: decoding (the decoder's own work,
// opening the file included), shrinking, turning upright and converting colours.
struct StageTimes {
  double decode = 0, shrink = 0, turn = 0, colour = 0;
  int pictures = 0;
};
// The stages of every load so far, summed (for the benchmark); loads on any thread add theirs.
StageTimes stageTimes();
void addStageTimes(const StageTimes& times);

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
// area averaging to `shrunk` (given in the source's own orientation, never enlarged), turned
// upright, and converted to sRGB when colours is given. The source is read in bands, so the
// full-size pixels are never copied whole. Adds the time of each stage to times.
// Throws Failure: out of memory, or an invalid picture when the decoder fails (path names it).
ShownBitmap shownBitmap(IWICBitmapSource& source, UINT width, UINT height, SIZE shrunk,
                        int orientation, const ColourConverter* colours, const std::string& path,
                        StageTimes& times);

}  // namespace qm::win32

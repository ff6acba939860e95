#include "toolkit/win32/picture_pixels.h"

#include <propidl.h>
#include <wrl/client.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <new>
#include <vector>

#include "toolkit/exif_orientation.h"
#include "toolkit/failure.h"
#include "toolkit/picture_pixels.h"
#include "toolkit/win32/picture_file.h"

using Microsoft::WRL::ComPtr;

namespace qm::win32 {

namespace {

// The Exif block sits among the first segments; this much of the file holds it and what may
// stand before it (the JFIF header, a profile or two).
constexpr DWORD kHeadBytes = 256 * 1024;
// Rows of the full-size picture are read this many bytes at a time.
constexpr size_t kBandBytes = 4 * 1024 * 1024;

using Clock = std::chrono::steady_clock;

// Adds the milliseconds since start to total, and starts again.
void lap(Clock::time_point& start, double& total) {
  const Clock::time_point now = Clock::now();
  total += std::chrono::duration<double, std::milli>(now - start).count();
  start = now;
}

std::mutex stagesLock;
StageTimes stagesSum;

int orientationFromWic(IWICBitmapFrameDecode& frame) {
  ComPtr<IWICMetadataQueryReader> reader;
  if (FAILED(frame.GetMetadataQueryReader(&reader))) return -1;
  PROPVARIANT value;
  ::PropVariantInit(&value);
  if (FAILED(reader->GetMetadataByName(L"/app1/ifd/{ushort=274}", &value))) return -1;
  const int orientation =
      value.vt == VT_UI2 && value.uiVal >= 1 && value.uiVal <= 8 ? value.uiVal : kNoOrientation;
  ::PropVariantClear(&value);
  return orientation;
}

}  // namespace

int pictureOrientation(const PictureFile& file, IWICBitmapFrameDecode& frame) {
  if (file.header().format != PictureFormat::kJpeg) return kNoOrientation;
  const int fromWic = orientationFromWic(frame);
  if (fromWic >= 0) return fromWic;
  const std::vector<uint8_t> head = file.head(kHeadBytes);
  return jpegOrientation(head.data(), head.size());
}

StageTimes stageTimes() {
  const std::lock_guard<std::mutex> lock(stagesLock);
  return stagesSum;
}

void addStageTimes(const StageTimes& times) {
  const std::lock_guard<std::mutex> lock(stagesLock);
  stagesSum.decode += times.decode;
  stagesSum.shrink += times.shrink;
  stagesSum.turn += times.turn;
  stagesSum.colour += times.colour;
  stagesSum.pictures += times.pictures;
}

SIZE turnedSize(SIZE size, int orientation) {
  return swapsSides(orientation) ? SIZE{size.cy, size.cx} : size;
}

ShownBitmap shownBitmap(IWICBitmapSource& source, UINT width, UINT height, SIZE shrunk,
                        int orientation, const ColourConverter* colours, const std::string& path,
                        StageTimes& times) {
  const LONG w = std::clamp<LONG>(shrunk.cx, 1, static_cast<LONG>(width));
  const LONG h = std::clamp<LONG>(shrunk.cy, 1, static_cast<LONG>(height));
  const bool turns = orientation >= 2 && orientation <= 8;
  const SIZE shown = turnedSize({w, h}, orientation);

  ShownBitmap result;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = shown.cx;
  info.bmiHeader.biHeight = -shown.cy;  // top-down, as WIC delivers rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  result.bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!result.bitmap || !bits) throw Failure(ErrorCode::kOutOfMemory, path);
  result.width = shown.cx;
  result.height = shown.cy;
  Clock::time_point start = Clock::now();

  if (!turns && static_cast<UINT>(w) == width && static_cast<UINT>(h) == height) {
    // Upright at its natural size: decoded straight into the DIB.
    const UINT stride = width * 4;
    if (FAILED(source.CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits))))
      throw Failure(ErrorCode::kInvalidPicture, path);
    lap(start, times.decode);
  } else {
    // The shrinker sums a row in 32 bits: no decodable picture is that wide but a hostile BMP.
    if (width >= (1u << 24)) throw Failure(ErrorCode::kInvalidPicture, path);
    try {
      std::vector<uint32_t> unturned(turns ? static_cast<size_t>(w) * h : 0);
      uint32_t* shrunkPixels = turns ? unturned.data() : static_cast<uint32_t*>(bits);
      AreaShrinker shrinker(static_cast<int>(width), static_cast<int>(height), w, h, shrunkPixels);
      const UINT bandRows =
          static_cast<UINT>(std::clamp<size_t>(kBandBytes / (size_t{width} * 4), 1, height));
      std::vector<uint32_t> band(size_t{width} * bandRows);
      for (UINT top = 0; top < height; top += bandRows) {
        const UINT rows = std::min(bandRows, height - top);
        const WICRect rect{0, static_cast<INT>(top), static_cast<INT>(width),
                           static_cast<INT>(rows)};
        if (FAILED(source.CopyPixels(&rect, width * 4, width * 4 * rows,
                                     reinterpret_cast<BYTE*>(band.data()))))
          throw Failure(ErrorCode::kInvalidPicture, path);
        lap(start, times.decode);
        shrinker.addRows(band.data(), static_cast<int>(rows), width);
        lap(start, times.shrink);
      }
      if (turns) turnPixels(unturned.data(), w, h, orientation, static_cast<uint32_t*>(bits));
      lap(start, times.turn);
    } catch (const std::bad_alloc&) {
      throw Failure(ErrorCode::kOutOfMemory, path);
    }
  }
  // The colours last, on the pixels as drawn: the cost follows the screen, not the photo.
  if (colours)
    colours->convert(static_cast<uint32_t*>(bits), static_cast<size_t>(shown.cx) * shown.cy);
  lap(start, times.colour);
  ::GdiFlush();
  return result;
}

}  // namespace qm::win32

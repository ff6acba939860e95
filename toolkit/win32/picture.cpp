#include "toolkit/win32/picture.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "toolkit/failure.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/folders.h"
#include "toolkit/win32/picture_file.h"
#include "toolkit/win32/picture_pixels.h"
#include "toolkit/win32/text.h"

using Microsoft::WRL::ComPtr;

// Decoders that can scale while decoding (JPEG on Windows) offer this; the MinGW headers lack it.
struct IWICBitmapSourceTransform : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT width, UINT height,
                                               WICPixelFormatGUID* format,
                                               WICBitmapTransformOptions transform, UINT stride,
                                               UINT bufferSize, BYTE* buffer) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClosestSize(UINT* width, UINT* height) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClosestPixelFormat(WICPixelFormatGUID* format) = 0;
  virtual HRESULT STDMETHODCALLTYPE DoesSupportTransform(WICBitmapTransformOptions transform,
                                                         BOOL* supported) = 0;
};
__CRT_UUID_DECL(IWICBitmapSourceTransform, 0x3b16811b, 0x6a43, 0x4ec9, 0xb7, 0x13, 0x3d, 0x5a, 0x0c,
                0x13, 0xb9, 0x40)

namespace qm::win32 {

namespace {

int32_t toHimetric(int pixels, int dpi) {
  return static_cast<int32_t>(std::lround(static_cast<double>(pixels) * 2540.0 / dpi));
}

void check(HRESULT result, ErrorCode code, const std::string& path) {
  if (FAILED(result)) throw Failure(code, path);
}

double millisSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

UINT ceilDiv(uint64_t value, uint64_t by) { return static_cast<UINT>((value + by - 1) / by); }

// Where the decoder scales while decoding, picks the largest reduction that still leaves at
// least the drawn size, so a large photo is never decoded at its full size. {0, 0} if none.
SIZE reducedDecodeSize(IWICBitmapSourceTransform& transform, UINT width, UINT height, SIZE least) {
  for (UINT by : {8u, 4u, 2u}) {
    UINT w = ceilDiv(width, by), h = ceilDiv(height, by);
    if (w < static_cast<UINT>(least.cx) || h < static_cast<UINT>(least.cy)) continue;
    if (FAILED(transform.GetClosestSize(&w, &h))) return {0, 0};
    if (w >= static_cast<UINT>(least.cx) && h >= static_cast<UINT>(least.cy) && w < width &&
        h < height)
      return {static_cast<LONG>(w), static_cast<LONG>(h)};
  }
  return {0, 0};
}

// The drawn size in whole pixels, never below one pixel nor above the natural size.
SIZE drawnPixels(const DrawnSize& drawnSize, UINT width, UINT height) {
  if (!drawnSize) return {static_cast<LONG>(width), static_cast<LONG>(height)};
  const float perPixel = twipsPerPixel();
  const Extent drawn =
      drawnSize({static_cast<float>(width) * perPixel, static_cast<float>(height) * perPixel});
  auto pixels = [perPixel](float twips, UINT natural) {
    const double rounded = std::ceil(static_cast<double>(twips) / perPixel - 0.5);
    return static_cast<LONG>(std::clamp(rounded, 1.0, static_cast<double>(natural)));
  };
  return {pixels(drawn.width, width), pixels(drawn.height, height)};
}

// An 8-bit indexed picture (a GIF, an 8-bit BMP) decoded as it is, indices and palette, into
// an 8-bit DIB: a quarter of the memory of 32-bit pixels, and no conversion. Null for a source of
// any other format.
UniqueHBitmap indexedBitmap(IWICImagingFactory& factory, IWICBitmapSource& source, UINT width,
                            UINT height, const std::string& path) {
  WICPixelFormatGUID format{};
  ComPtr<IWICPalette> palette;
  WICColor colors[256];
  UINT count = 0;
  if (FAILED(source.GetPixelFormat(&format)) || format != GUID_WICPixelFormat8bppIndexed ||
      FAILED(factory.CreatePalette(&palette)) || FAILED(source.CopyPalette(palette.Get())) ||
      FAILED(palette->GetColors(256, colors, &count)) || count == 0)
    return {};
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } info{};
  info.header.biSize = sizeof(info.header);
  info.header.biWidth = static_cast<LONG>(width);
  info.header.biHeight = -static_cast<LONG>(height);  // top-down, as WIC delivers rows
  info.header.biPlanes = 1;
  info.header.biBitCount = 8;
  info.header.biCompression = BI_RGB;
  // All 256 entries, so that any index a file holds is in range: those past its palette are black.
  // WIC colours are 0xAARRGGBB; a DIB has no alpha.
  info.header.biClrUsed = 256;
  for (UINT i = 0; i < count; ++i)
    info.colors[i] = {static_cast<BYTE>(colors[i]), static_cast<BYTE>(colors[i] >> 8),
                      static_cast<BYTE>(colors[i] >> 16), 0};
  void* bits = nullptr;
  UniqueHBitmap bitmap(::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                                          DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) throw Failure(ErrorCode::kOutOfMemory, path);
  const UINT stride = (width + 3) & ~3u;  // DIB rows end on 4 bytes
  check(source.CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)),
        ErrorCode::kInvalidPicture, path);
  ::GdiFlush();
  return bitmap;
}

}  // namespace

WicPicture::WicPicture(UniqueHBitmap bitmap, int bitmapWidth, int bitmapHeight, int widthPixels,
                       int heightPixels, int dpi)
    : bitmap_(std::move(bitmap)),
      bitmapWidth_(bitmapWidth),
      bitmapHeight_(bitmapHeight),
      widthHimetric_(toHimetric(widthPixels, dpi)),
      heightHimetric_(toHimetric(heightPixels, dpi)) {}

void WicPicture::drawTo(HDC target, const RECT& where) const {
  const int width = where.right - where.left, height = where.bottom - where.top;
  if (width <= 0 || height <= 0) return;
  if (width != bitmapWidth_ || height != bitmapHeight_) {
    // Resample once into a bitmap of the drawn size and keep that in place of the original.
    UniqueHdc from(::CreateCompatibleDC(target)), to(::CreateCompatibleDC(target));
    UniqueHBitmap scaled(::CreateCompatibleBitmap(target, width, height));
    if (!from || !to || !scaled) throw Failure(ErrorCode::kOutOfMemory, "scaled picture");
    {
      SelectGuard source(from.get(), bitmap_.get());
      SelectGuard destination(to.get(), scaled.get());
      ::SetStretchBltMode(to.get(), HALFTONE);
      ::SetBrushOrgEx(to.get(), 0, 0, nullptr);
      ::StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, bitmapWidth_, bitmapHeight_,
                   SRCCOPY);
    }
    bitmap_ = std::move(scaled);
    bitmapWidth_ = width;
    bitmapHeight_ = height;
  }
  UniqueHdc source(::CreateCompatibleDC(target));
  SelectGuard selected(source.get(), bitmap_.get());
  ::BitBlt(target, where.left, where.top, width, height, source.get(), 0, 0, SRCCOPY);
}

WicPictureLoader::WicPictureLoader() {
  HRESULT result = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(&factory_));
  if (FAILED(result)) factory_.Reset();
}

PictureRef WicPictureLoader::load(const std::string& path, const DrawnSize& drawnSize) {
  const std::wstring wide = widen(path);
  const size_t slash = wide.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"." : wide.substr(0, slash + 1);
  if (!isFolder(folder)) throw Failure(ErrorCode::kPathNotFound, path);
  DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) throw Failure(ErrorCode::kFileNotFound, path);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw Failure(ErrorCode::kInvalidPicture, path);
  if (!factory_) throw Failure(ErrorCode::kInvalidPicture, "no picture decoder");
  const auto start = std::chrono::steady_clock::now();

  // Some decoders allocate and decode the whole picture before its size can be asked, so the
  // header is read and judged first; the decoder is the one for the format it names.
  const PictureFile file(*factory_.Get(), wide, path);
  ComPtr<IWICBitmapDecoder> decoder;
  check(factory_->CreateDecoder(file.container(), nullptr, &decoder), ErrorCode::kInvalidPicture,
        path);
  check(decoder->Initialize(file.stream(), WICDecodeMetadataCacheOnDemand),
        ErrorCode::kInvalidPicture, path);
  ComPtr<IWICBitmapFrameDecode> frame;
  check(decoder->GetFrame(0, &frame), ErrorCode::kInvalidPicture, path);
  UINT width = 0, height = 0;
  check(frame->GetSize(&width, &height), ErrorCode::kInvalidPicture, path);
  // What the decoder reports is held to the same bound as what the header declared.
  if (width == 0 || height == 0 || !decodedSizeFits(width, height))
    throw Failure(ErrorCode::kInvalidPicture, path);
  // A JPEG stored on its side stands upright: its natural and drawn sizes are as it is shown,
  // and turned back to the stored orientation for decoding.
  const int orientation = pictureOrientation(file, *frame.Get());
  const SIZE natural =
      turnedSize({static_cast<LONG>(width), static_cast<LONG>(height)}, orientation);
  const SIZE drawn = turnedSize(drawnPixels(drawnSize, natural.cx, natural.cy), orientation);

  // A decoder that can shrink while decoding hands over a smaller bitmap, which the format
  // converter then turns into the DIB's format at that size.
  ComPtr<IWICBitmapSource> source = frame;
  UINT decodedWidth = width, decodedHeight = height;
  ComPtr<IWICBitmapSourceTransform> transform;
  if (SUCCEEDED(frame.As(&transform))) {
    const SIZE reduced = reducedDecodeSize(*transform.Get(), width, height, drawn);
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
    ComPtr<IWICBitmap> smaller;
    if (reduced.cx > 0 && SUCCEEDED(transform->GetClosestPixelFormat(&format)) &&
        SUCCEEDED(factory_->CreateBitmap(reduced.cx, reduced.cy, format, WICBitmapCacheOnLoad,
                                         &smaller))) {
      ComPtr<IWICBitmapLock> lock;
      WICRect all{0, 0, reduced.cx, reduced.cy};
      UINT stride = 0, size = 0;
      BYTE* data = nullptr;
      if (SUCCEEDED(smaller->Lock(&all, WICBitmapLockWrite, &lock)) &&
          SUCCEEDED(lock->GetStride(&stride)) && SUCCEEDED(lock->GetDataPointer(&size, &data)) &&
          SUCCEEDED(transform->CopyPixels(nullptr, reduced.cx, reduced.cy, &format,
                                          WICBitmapTransformRotate0, stride, size, data))) {
        lock.Reset();
        source = smaller;
        decodedWidth = static_cast<UINT>(reduced.cx);
        decodedHeight = static_cast<UINT>(reduced.cy);
      }
    }
  }

  StageTimes times;
  times.pictures = 1;
  times.decode = millisSince(start);
  const auto colourStart = std::chrono::steady_clock::now();
  const std::unique_ptr<ColourConverter> colours = ColourConverter::forColour(file.colour());
  times.colour = millisSince(colourStart);

  // An indexed picture drawn at its natural size in its own colours stays indices and palette;
  // any other is shrunk and converted below, so it never holds more than its drawn size.
  const bool unchanged = orientation <= 1 && !colours &&
                         drawn.cx == static_cast<LONG>(decodedWidth) &&
                         drawn.cy == static_cast<LONG>(decodedHeight);
  if (UniqueHBitmap indexed = unchanged ? indexedBitmap(*factory_.Get(), *source.Get(),
                                                        decodedWidth, decodedHeight, path)
                                        : UniqueHBitmap()) {
    times.decode = millisSince(start) - times.colour;
    addStageTimes(times);
    return std::make_shared<WicPicture>(std::move(indexed), static_cast<int>(decodedWidth),
                                        static_cast<int>(decodedHeight), static_cast<int>(width),
                                        static_cast<int>(height), screenDpi());
  }

  ComPtr<IWICFormatConverter> converter;
  check(factory_->CreateFormatConverter(&converter), ErrorCode::kInvalidPicture, path);
  check(converter->Initialize(source.Get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                              nullptr, 0.0, WICBitmapPaletteTypeCustom),
        ErrorCode::kInvalidPicture, path);

  // Shrunk to the drawn size and turned upright into the DIB section that GDI draws from.
  ShownBitmap shown = shownBitmap(*converter.Get(), decodedWidth, decodedHeight, drawn, orientation,
                                  colours.get(), path, times);
  addStageTimes(times);
  return std::make_shared<WicPicture>(std::move(shown.bitmap), shown.width, shown.height,
                                      natural.cx, natural.cy, screenDpi());
}

}  // namespace qm::win32

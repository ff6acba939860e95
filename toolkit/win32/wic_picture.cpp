#include "toolkit/win32/wic_picture.h"

#include <cmath>
#include <cstring>

#include "toolkit/failure.h"
#include "toolkit/win32/text.h"

using Microsoft::WRL::ComPtr;

namespace qm::win32 {

namespace {

// A decoded picture larger than this many bytes is refused rather than risked.
constexpr uint64_t kLargestDecodedBytes = 512ull * 1024 * 1024;

int32_t toHimetric(int pixels, int dpi) {
  return static_cast<int32_t>(std::lround(static_cast<double>(pixels) * 2540.0 / dpi));
}

bool isFolder(const std::wstring& path) {
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void check(HRESULT result, ErrorCode code, const std::string& path) {
  if (FAILED(result)) throw Failure(code, path);
}

}  // namespace

WicPicture::WicPicture(UniqueHBitmap bitmap, int widthPixels, int heightPixels, int dpi)
    : bitmap_(std::move(bitmap)),
      bitmapWidth_(widthPixels),
      bitmapHeight_(heightPixels),
      width_(widthPixels),
      height_(heightPixels),
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

PictureRef WicPictureLoader::load(const std::string& path) {
  const std::wstring wide = widen(path);
  const size_t slash = wide.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"." : wide.substr(0, slash + 1);
  if (!isFolder(folder)) throw Failure(ErrorCode::kPathNotFound, path);
  DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) throw Failure(ErrorCode::kFileNotFound, path);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw Failure(ErrorCode::kInvalidPicture, path);
  if (!factory_) throw Failure(ErrorCode::kInvalidPicture, "no picture decoder");

  ComPtr<IWICBitmapDecoder> decoder;
  check(factory_->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                            WICDecodeMetadataCacheOnDemand, &decoder),
        ErrorCode::kInvalidPicture, path);
  ComPtr<IWICBitmapFrameDecode> frame;
  check(decoder->GetFrame(0, &frame), ErrorCode::kInvalidPicture, path);
  UINT width = 0, height = 0;
  check(frame->GetSize(&width, &height), ErrorCode::kInvalidPicture, path);
  if (width == 0 || height == 0 || width > 0x7FFF'FFFF / 4 || height > 0x7FFF'FFFF)
    throw Failure(ErrorCode::kInvalidPicture, path);
  if (static_cast<uint64_t>(width) * height * 4 > kLargestDecodedBytes)
    throw Failure(ErrorCode::kOutOfMemory, path);

  ComPtr<IWICFormatConverter> converter;
  check(factory_->CreateFormatConverter(&converter), ErrorCode::kInvalidPicture, path);
  check(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                              nullptr, 0.0, WICBitmapPaletteTypeCustom),
        ErrorCode::kInvalidPicture, path);

  // Decode straight into the DIB section that GDI will draw from.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down, as WIC delivers rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueHBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) throw Failure(ErrorCode::kOutOfMemory, path);
  const UINT stride = width * 4;
  check(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)),
        ErrorCode::kInvalidPicture, path);
  ::GdiFlush();
  return std::make_shared<WicPicture>(std::move(bitmap), static_cast<int>(width),
                                      static_cast<int>(height), screenDpi());
}

}  // namespace qm::win32

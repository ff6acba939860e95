// Photos on a real system: JPEGs stand upright whatever their Exif orientation, and the picture
// decoded ahead is the one shown only while the file is the one that was decoded.
#include <gtest/gtest.h>
#include <objbase.h>
#include <wincodec.h>
#include <windows.h>
#include <wrl/client.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <optional>

#include "show/show_graphics.h"
#include "tests/common/exif_block.h"
#include "tests/win/helpers.h"
#include "toolkit/exif_orientation.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/picture.h"
#include "toolkit/win32/preparing_loader.h"
#include "toolkit/win32/text.h"

namespace qm::win32 {
namespace {

using Microsoft::WRL::ComPtr;

constexpr COLORREF kRed = RGB(230, 20, 20), kGreen = RGB(20, 200, 20), kGrey = RGB(128, 128, 128);
constexpr COLORREF kBlue = RGB(20, 20, 230);

// A picture encoded by WIC: colour(x, y) gives each pixel.
std::vector<uint8_t> encode(const GUID& container, int width, int height,
                            const std::function<COLORREF(int, int)>& colour) {
  ComPtr<IWICImagingFactory> factory;
  EXPECT_HRESULT_SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr,
                                              CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)));
  ComPtr<IStream> stream;
  EXPECT_HRESULT_SUCCEEDED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream));
  ComPtr<IWICBitmapEncoder> encoder;
  EXPECT_HRESULT_SUCCEEDED(factory->CreateEncoder(container, nullptr, &encoder));
  EXPECT_HRESULT_SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache));
  ComPtr<IWICBitmapFrameEncode> frame;
  EXPECT_HRESULT_SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr));
  EXPECT_HRESULT_SUCCEEDED(frame->Initialize(nullptr));
  EXPECT_HRESULT_SUCCEEDED(frame->SetSize(width, height));
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  EXPECT_HRESULT_SUCCEEDED(frame->SetPixelFormat(&format));
  EXPECT_TRUE(IsEqualGUID(format, GUID_WICPixelFormat24bppBGR));
  const UINT stride = static_cast<UINT>(width) * 3;
  std::vector<BYTE> pixels(size_t{stride} * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF c = colour(x, y);
      BYTE* p = &pixels[size_t{stride} * y + size_t(x) * 3];
      p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
    }
  }
  EXPECT_HRESULT_SUCCEEDED(
      frame->WritePixels(height, stride, static_cast<UINT>(pixels.size()), pixels.data()));
  EXPECT_HRESULT_SUCCEEDED(frame->Commit());
  EXPECT_HRESULT_SUCCEEDED(encoder->Commit());
  STATSTG stat{};
  EXPECT_HRESULT_SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME));
  std::vector<uint8_t> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
  const LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  ULONG read = 0;
  stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
  bytes.resize(read);
  return bytes;
}

// What a picture looks like drawn whole into width x height pixels.
class Drawn {
 public:
  Drawn(const WicPicture& picture, int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(info.bmiHeader), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    dc_.reset(::CreateCompatibleDC(nullptr));
    selected_.emplace(dc_.get(), bitmap_.get());
    picture.drawTo(dc_.get(), RECT{0, 0, width, height});
  }
  COLORREF pixel(int x, int y) const { return ::GetPixel(dc_.get(), x, y); }
  // The colours at the centres of the four corner blocks, a quarter of the height across.
  struct Corners {
    COLORREF topLeft, topRight, bottomLeft, bottomRight;
  };
  Corners corners() const {
    const int in = std::min(width_, height_) / 4;
    return {pixel(in, in), pixel(width_ - 1 - in, in), pixel(in, height_ - 1 - in),
            pixel(width_ - 1 - in, height_ - 1 - in)};
  }

 private:
  int width_, height_;
  UniqueHBitmap bitmap_;
  UniqueHdc dc_;
  std::optional<SelectGuard> selected_;
};

// Within a few levels per channel: JPEG is not exact.
bool closeTo(COLORREF got, COLORREF want) {
  auto close = [](int a, int b) { return std::abs(a - b) <= 16; };
  return close(GetRValue(got), GetRValue(want)) && close(GetGValue(got), GetGValue(want)) &&
         close(GetBValue(got), GetBValue(want));
}

std::string name(COLORREF c) {
  if (closeTo(c, kRed)) return "red";
  if (closeTo(c, kGreen)) return "green";
  if (closeTo(c, kGrey)) return "grey";
  if (closeTo(c, kBlue)) return "blue";
  return "other";
}

class Photos : public ::testing::Test {
 protected:
  std::string write(const std::wstring& file, const std::vector<uint8_t>& bytes) {
    const std::wstring path = root_ + L"\\" + file;
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return narrow(path);
  }
  int pixels(int32_t himetric) const {
    return static_cast<int>(std::lround(himetric * screenDpi() / 2540.0));
  }

  ScratchFolder scratch_{L"qm-photos-"};
  std::wstring root_ = scratch_.path();
  ComScope com_;
  WicPictureLoader loader_;
};

// Stored 64 x 32 (as a camera held on its side writes it): a red block in the stored top-left
// corner, a green one in the stored top-right, grey elsewhere; blocks on the JPEG's 16-pixel
// grid so that their colours survive compression.
COLORREF stored(int x, int y) {
  if (y < 16 && x < 16) return kRed;
  if (y < 16 && x >= 48) return kGreen;
  return kGrey;
}

TEST_F(Photos, EveryExifOrientationStandsUprightAndIsFittedAsItStands) {
  struct Case {
    int orientation;
    // The shown corners of the red and the green block, from the standard's description of
    // where the stored 0th row and 0th column are meant to be seen.
    const char* topLeft;
    const char* topRight;
    const char* bottomLeft;
    const char* bottomRight;
  } cases[] = {
      {1, "red", "green", "grey", "grey"}, {2, "green", "red", "grey", "grey"},
      {3, "grey", "grey", "green", "red"}, {4, "grey", "grey", "red", "green"},
      {5, "red", "grey", "green", "grey"}, {6, "grey", "red", "grey", "green"},
      {7, "grey", "green", "grey", "red"}, {8, "green", "grey", "red", "grey"},
  };
  const std::vector<uint8_t> jpeg = encode(GUID_ContainerFormatJpeg, 64, 32, stored);
  // A screen 48 x 48 pixels: a 64 x 32 photo is clamped by width, one turned to 32 x 64 by
  // height (as a 4000 x 3000 phone photo with tag 6 is on a real screen).
  const float perPixel = twipsPerPixel();
  const Extent screen{48 * perPixel, 48 * perPixel};
  for (const Case& c : cases) {
    const std::string path =
        write(L"photo " + std::to_wstring(c.orientation) + L".jpg",
              test::withApp1(jpeg, test::exifWithOrientation(static_cast<uint16_t>(c.orientation),
                                                             c.orientation % 2 == 0)));
    Extent asked{};
    PictureRef picture = loader_.load(path, [&](Extent natural) {
      asked = natural;
      return fitToScreen(natural, screen);
    });
    const bool sideways = c.orientation >= 5;
    const int width = sideways ? 32 : 64, height = sideways ? 64 : 32;
    EXPECT_EQ(pixels(picture->widthHimetric()), width) << c.orientation;
    EXPECT_EQ(pixels(picture->heightHimetric()), height) << c.orientation;
    EXPECT_NEAR(asked.width, width * perPixel, 0.01) << c.orientation;
    EXPECT_NEAR(asked.height, height * perPixel, 0.01) << c.orientation;
    const Extent fitted = fitToScreen(asked, screen);
    EXPECT_NEAR(fitted.width, (sideways ? 24 : 48) * perPixel, 0.01) << c.orientation;
    EXPECT_NEAR(fitted.height, (sideways ? 48 : 24) * perPixel, 0.01) << c.orientation;

    // At the drawn size it was decoded for, then at its natural size (resampled back up).
    const auto& wic = static_cast<const WicPicture&>(*picture);
    for (const auto& [w, h] :
         {std::pair{sideways ? 24 : 48, sideways ? 48 : 24}, std::pair{width, height}}) {
      const Drawn::Corners corners = Drawn(wic, w, h).corners();
      EXPECT_EQ(name(corners.topLeft), c.topLeft) << c.orientation << " at " << w << "x" << h;
      EXPECT_EQ(name(corners.topRight), c.topRight) << c.orientation << " at " << w << "x" << h;
      EXPECT_EQ(name(corners.bottomLeft), c.bottomLeft) << c.orientation << " at " << w << "x" << h;
      EXPECT_EQ(name(corners.bottomRight), c.bottomRight)
          << c.orientation << " at " << w << "x" << h;
    }
  }
}

// The loader the show uses, on real files: what it decoded ahead is shown only while the file
// is the one it decoded.
class Prepared : public Photos {
 protected:
  Prepared() { ::CreateDirectoryW(folder_.c_str(), nullptr); }
  std::string picture(const std::wstring& file, COLORREF colour) {
    return write(L"show\\" + file,
                 encode(GUID_ContainerFormatBmp, 32, 16, [colour](int, int) { return colour; }));
  }
  std::string shownColour(const PictureRef& picture) {
    return name(Drawn(static_cast<const WicPicture&>(*picture), 32, 16).pixel(10, 8));
  }
  static FILETIME lastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
  }
  static void setLastWrite(const std::string& path, FILETIME time) {
    UniqueHandle<HANDLE, ::CloseHandle, invalidHandleValue> file(
        ::CreateFileW(widen(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                      OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &time));
  }
  int errorOfLoad(const std::string& path) {
    return errorOf([&] { preparing_.load(path); });
  }

  std::wstring folder_ = root_ + L"\\show";
  PreparingLoader preparing_{loader_, wicPreparingPlatform()};
};

TEST_F(Prepared, UsedWhileSizeAndLastWriteMatchAndLoadedAfreshOnceEitherChanges) {
  const std::string path = picture(L"a.bmp", kRed);
  const FILETIME written = lastWrite(path);
  preparing_.prepare(path, {});
  preparing_.waitUntilIdle();
  // The same bytes count and last-write time: still taken for the file that was decoded.
  picture(L"a.bmp", kBlue);
  setLastWrite(path, written);
  EXPECT_EQ(shownColour(preparing_.load(path)), "red");
  // Written later: loaded afresh.
  FILETIME later = written;
  later.dwHighDateTime += 1;
  setLastWrite(path, later);
  EXPECT_EQ(shownColour(preparing_.load(path)), "blue");
}

TEST_F(Prepared, FailuresAfterPreparingAreTheSameAsWithout) {
  const std::string a = picture(L"a.bmp", kRed);
  preparing_.prepare(a, {});
  preparing_.waitUntilIdle();
  ::DeleteFileW(widen(a).c_str());
  EXPECT_EQ(errorOfLoad(a), 53) << "the file gone";

  const std::string b = picture(L"b.bmp", kRed);
  preparing_.prepare(b, {});
  preparing_.waitUntilIdle();
  write(L"show\\b.bmp", {'B', 'M', 'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'});
  EXPECT_EQ(errorOfLoad(b), 481) << "the file corrupted";

  const std::string c = picture(L"c.bmp", kRed);
  preparing_.prepare(c, {});
  preparing_.waitUntilIdle();
  ::DeleteFileW(widen(c).c_str());
  ::DeleteFileW(widen(b).c_str());
  ASSERT_TRUE(::RemoveDirectoryW(folder_.c_str()));
  EXPECT_EQ(errorOfLoad(c), 76) << "the folder gone";
}

}  // namespace
}  // namespace qm::win32

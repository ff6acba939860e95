// Sounds read from the executable's own resources, and pictures decoded by WIC, on a real
// system: sizes, failures, frames, shrinking, Exif orientation and pictures decoded ahead.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

#include "sound/sound.h"
#include "tests/common/exif_block.h"
#include "tests/win/helpers.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/picture.h"
#include "toolkit/win32/preparing_loader.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/toolkit.h"
#include "toolkit/win32/window.h"

namespace qm::win32 {
namespace {

// The source tree as Wine sees it (the Linux root is drive Z:).
std::string sourcePath(const std::string& relative) {
  std::string path = std::string("Z:") + QM_SOURCE_DIR + "/" + relative;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path;
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(widen(path).c_str(), std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

int32_t himetric(int pixels) { return std::lround(pixels * 2540.0 / screenDpi()); }

TEST(SoundResources, TheWholeResourceWithItsPaddingAndAMissingIdIsNotPathNotFound) {
  ModuleResourceReader reader;
  // 3128 bytes, the last 2 of them padding after the RIFF image, as the file holds them.
  EXPECT_EQ(reader.read("ATM_SOUND", 7), readFile(sourcePath("resources/sound7.wav")));
  const int code = errorOf([&] { reader.read("ATM_SOUND", 8); });
  EXPECT_TRUE(code != 0 && code != 76) << code;
}

TEST(SoundResources, PlayingBindsTheCallAndARefusalOrNoSoundDeviceIsSilent) {
  Win32Application app;
  Win32Toolkit toolkit(app);
  Module1 sounds(toolkit);
  EXPECT_NO_THROW(sounds.PlayResourceSound(7));
  EXPECT_NO_THROW(sounds.PlayResourceSound(7));  // while 7 may still play: refused, silent
}

// What the show window holds, painted into a memory bitmap.
class Painted {
 public:
  Painted(Win32ShowWindow& window, int width, int height) {
    HDC screen = ::GetDC(window.handle());
    memory_.reset(::CreateCompatibleDC(screen));
    bitmap_.reset(::CreateCompatibleBitmap(screen, width, height));
    ::ReleaseDC(window.handle(), screen);
    selected_ = SelectGuard(memory_.get(), bitmap_.get());
    window.paint(memory_.get(), RECT{0, 0, width, height});
  }
  COLORREF pixel(int x, int y) const { return ::GetPixel(memory_.get(), x, y); }

 private:
  UniqueHdc memory_;
  UniqueHBitmap bitmap_;
  SelectGuard selected_;
};

// Within a few levels per channel: JPEG and resampling are not exact.
bool closeTo(COLORREF got, COLORREF want) {
  auto close = [](int a, int b) { return std::abs(a - b) <= 12; };
  return close(GetRValue(got), GetRValue(want)) && close(GetGValue(got), GetGValue(want)) &&
         close(GetBValue(got), GetBValue(want));
}

// "quadrants 3000x1500.jpg" as stored: red, green / blue, white.
constexpr COLORREF kRed = RGB(220, 0, 0), kGreen = RGB(0, 200, 0), kBlue = RGB(0, 0, 230),
                   kWhite = RGB(255, 255, 255);
using Quadrants = std::array<COLORREF, 4>;  // top left, top right, bottom left, bottom right

class Pictures : public ::testing::Test {
 protected:
  std::string write(const std::wstring& name, const std::vector<uint8_t>& bytes) {
    const std::wstring path = root_ + L"\\" + name;
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return narrow(path);
  }
  std::string root() const { return narrow(root_) + "\\"; }
  // Draws the picture at (x, y), width x height pixels, and checks the centre of each quarter.
  void expectQuadrants(const Picture& picture, RECT at, const Quadrants& want) {
    const float pixel = window_.twipsPerPixel();
    const LONG w = at.right - at.left, h = at.bottom - at.top;
    window_.clear();
    window_.drawPicture(picture, at.left * pixel, at.top * pixel, w * pixel, h * pixel);
    Painted painted(window_, at.right + 30, at.bottom + 30);
    for (int i = 0; i < 4; ++i) {
      const COLORREF got =
          painted.pixel(at.left + w / 4 + i % 2 * w / 2, at.top + h / 4 + i / 2 * h / 2);
      EXPECT_TRUE(closeTo(got, want[i])) << "quarter " << i << ": " << std::hex << got;
    }
    EXPECT_TRUE(closeTo(painted.pixel(at.left + 2, at.top + 2), want[0])) << "its corner";
    EXPECT_TRUE(closeTo(painted.pixel(at.right - 3, at.bottom - 3), want[3])) << "its corner";
    for (auto [x, y] : {std::pair{at.left - 1, at.top + h / 2},
                        {at.right, at.top + h / 2},
                        {at.left + w / 2, at.bottom}})
      EXPECT_EQ(painted.pixel(x, y), RGB(0, 0, 0)) << "background at " << x << "," << y;
  }

  ScratchFolder scratch_{L"qm-pictures-"};
  std::wstring root_ = scratch_.path();
  ComScope com_;  // before the loader, which needs it when it is made
  WicPictureLoader loader_;
  Win32Application app_;
  Win32ShowWindow window_{app_};
};

TEST_F(Pictures, NaturalSizeInHimetricAtTheScreenDpiWhateverTheFileName) {
  const std::string meadow = sourcePath("tests/data/02 meadow.bmp");
  const struct {
    std::string path;
    int width, height;
  } samples[] = {
      {meadow, 400, 250},
      {sourcePath("tests/data/01 dawn landscape.jpg"), 1600, 1000},
      {sourcePath("tests/data/03 tall tower.gif"), 300, 500},
      {write(L"\x041A\x0430\x0440\x0442\x0438\x043D\x0430 \x5199\x771F.bmp", readFile(meadow)), 400,
       250},  // outside the ANSI code page
  };
  for (const auto& sample : samples) {
    PictureRef picture = loader_.load(sample.path);
    EXPECT_EQ(picture->widthHimetric(), himetric(sample.width)) << sample.path;
    EXPECT_EQ(picture->heightHimetric(), himetric(sample.height)) << sample.path;
  }
}

TEST_F(Pictures, BadInputsFailAndOnlyAMissingFolderIsPathNotFound) {
  const std::vector<uint8_t> jpeg = readFile(sourcePath("tests/data/01 dawn landscape.jpg"));
  const std::string truncated =
      write(L"cut.jpg", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 300));
  const std::string text = write(L"notes.jpg", {'h', 'e', 'l', 'l', 'o', '\n'});
  const std::string empty = write(L"empty.gif", {});
  ::CreateDirectoryW((root_ + L"\\folder.bmp").c_str(), nullptr);

  EXPECT_EQ(errorOf([&] { loader_.load(root() + "no such folder\\a.jpg"); }), 76);
  for (const std::string& path :
       {root() + "missing.jpg", root(), root() + "folder.bmp", text, truncated, empty}) {
    const int code = errorOf([&] { loader_.load(path); });
    EXPECT_NE(code, 0) << path;
    EXPECT_NE(code, 76) << path;
  }
}

TEST_F(Pictures, GifShowsItsFirstFrame) {
  PictureRef picture = loader_.load(sourcePath("tests/data/two frames.gif"));
  // Natural size, so the copy is exact: the first frame is red, the second blue.
  window_.drawPicture(*picture, 0, 0, 40 * window_.twipsPerPixel(), 30 * window_.twipsPerPixel());
  Painted painted(window_, 50, 40);
  EXPECT_EQ(painted.pixel(20, 15), RGB(255, 0, 0));
  EXPECT_EQ(painted.pixel(45, 35), RGB(0, 0, 0)) << "background beside it";
}

// The unit tests hold every orientation; here the WIC loader reads the tag in either byte order,
// turns the picture without and with swapping its sides and asks for its drawn size as it
// stands. Shrunk while decoding or by GDI at the draw, the whole picture lands in the drawn
// rectangle the right way round, the same on every draw.
TEST_F(Pictures, LargePhotosStandAsTheirExifOrientationSaysAndShrinkWhole) {
  const std::vector<uint8_t> jpeg = readFile(sourcePath("tests/data/quadrants 3000x1500.jpg"));
  const struct {
    uint8_t orientation;  // 0: no Exif block, and decoded at its natural size to be drawn
    bool bigEndian;
    int width, height;  // as shown
    Quadrants shown;
  } cases[] = {
      {0, false, 3000, 1500, {kRed, kGreen, kBlue, kWhite}},
      {3, false, 3000, 1500, {kWhite, kBlue, kGreen, kRed}},  // turned half round
      {7, true, 1500, 3000, {kWhite, kGreen, kBlue, kRed}},   // mirrored along the other diagonal
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.orientation));
    const std::string path = write(
        L"photo.jpg",
        c.orientation ? test::withApp1(jpeg, test::exifWithOrientation(c.orientation, c.bigEndian))
                      : jpeg);
    Extent asked{};
    PictureRef picture = loader_.load(path, [&](Extent natural) {
      asked = natural;
      return c.orientation ? Extent{natural.width / 10, natural.height / 10} : natural;
    });
    EXPECT_EQ(picture->widthHimetric(), himetric(c.width));
    EXPECT_EQ(picture->heightHimetric(), himetric(c.height));
    EXPECT_NEAR(asked.width, c.width * twipsPerPixel(), 0.5);
    EXPECT_NEAR(asked.height, c.height * twipsPerPixel(), 0.5);
    for (int draw = 0; draw < 2; ++draw)
      expectQuadrants(*picture, {20, 20, 20 + c.width / 10, 20 + c.height / 10}, c.shown);
  }
}

TEST_F(Pictures, ADecodedAheadPictureIsUsedWhileByteCountAndLastWriteMatch) {
  const std::vector<uint8_t> bmp = readFile(sourcePath("tests/data/02 meadow.bmp"));
  const std::string path = write(L"a.bmp", bmp);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(::GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data));
  auto rewrite = [&](size_t bytes, DWORD laterBy) {  // with what is not a picture
    write(L"a.bmp", std::vector<uint8_t>(bytes, 'x'));
    FILETIME time = data.ftLastWriteTime;
    time.dwHighDateTime += laterBy;
    UniqueHandle<HANDLE, ::CloseHandle, invalidHandleValue> file(
        ::CreateFileW(widen(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                      OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file && ::SetFileTime(file.get(), nullptr, nullptr, &time));
  };
  PreparingLoader preparing(loader_, wicPreparingPlatform());
  preparing.prepare(path, {});
  preparing.waitUntilIdle();
  rewrite(bmp.size(), 0);
  EXPECT_EQ(errorOf([&] { preparing.load(path); }), 0) << "taken for the file decoded ahead";
  rewrite(bmp.size() + 1, 0);
  EXPECT_EQ(errorOf([&] { preparing.load(path); }), 481) << "another byte count";
  rewrite(bmp.size(), 1);
  EXPECT_EQ(errorOf([&] { preparing.load(path); }), 481) << "written later";
}

}  // namespace
}  // namespace qm::win32

// Sounds read from the executable's own resources, and pictures decoded by WIC, on a real
// system.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

#include "sound/sound.h"
#include "tests/win/helpers.h"
#include "toolkit/win32/window.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/folders.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/toolkit.h"

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

class Pictures : public ::testing::Test {
 protected:
  std::string write(const std::wstring& name, const std::vector<uint8_t>& bytes) {
    const std::wstring path = root_ + L"\\" + name;
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return narrow(path);
  }
  std::string root() const { return narrow(root_) + "\\"; }
  ScratchFolder scratch_{L"qm-pictures-"};
  std::wstring root_ = scratch_.path();
  ComScope com_;  // before the loader, which needs it when it is made
  WicPictureLoader loader_;
};

TEST_F(Pictures, NaturalSizeInHimetricAtTheScreenDpi) {
  const int dpi = screenDpi();
  struct Sample {
    const char* name;
    int width, height;
  } samples[] = {{"02 meadow.bmp", 400, 250},
                 {"01 dawn landscape.jpg", 1600, 1000},
                 {"03 tall tower.gif", 300, 500}};
  for (const Sample& sample : samples) {
    PictureRef picture = loader_.load(sourcePath(std::string("tests/data/") + sample.name));
    EXPECT_EQ(picture->widthHimetric(), std::lround(sample.width * 2540.0 / dpi)) << sample.name;
    EXPECT_EQ(picture->heightHimetric(), std::lround(sample.height * 2540.0 / dpi)) << sample.name;
  }
}

TEST_F(Pictures, BadInputsFailAndOnlyAMissingFolderIsPathNotFound) {
  const std::vector<uint8_t> jpeg = readFile(sourcePath("tests/data/01 dawn landscape.jpg"));
  const std::string truncated = write(L"cut.jpg", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 300));
  const std::string text = write(L"notes.jpg", {'h', 'e', 'l', 'l', 'o', '\n'});
  const std::string empty = write(L"empty.gif", {});
  ::CreateDirectoryW((root_ + L"\\folder.bmp").c_str(), nullptr);

  EXPECT_EQ(errorOf([&] { loader_.load(root() + "no such folder\\a.jpg"); }), 76);
  for (const std::string& path : {root() + "missing.jpg", root(), root() + "folder.bmp", text,
                                  truncated, empty}) {
    const int code = errorOf([&] { loader_.load(path); });
    EXPECT_NE(code, 0) << path;
    EXPECT_NE(code, 76) << path;
  }
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

TEST_F(Pictures, GifShowsItsFirstFrame) {
  PictureRef picture = loader_.load(sourcePath("tests/data/two frames.gif"));
  Win32Application app;
  Win32ShowWindow window(app);
  // Natural size, so the copy is exact: the first frame is red, the second blue.
  window.drawPicture(*picture, 0, 0, 40 * window.twipsPerPixel(), 30 * window.twipsPerPixel());
  Painted painted(window, 50, 40);
  EXPECT_EQ(painted.pixel(20, 15), RGB(255, 0, 0));
  EXPECT_EQ(painted.pixel(45, 35), RGB(0, 0, 0)) << "background beside it";
}

TEST_F(Pictures, LargePhotoShrinksWholeAndTheSameOnEveryDraw) {
  // Four quadrants: red, green / blue, white. Whether the decoder shrinks it while decoding
  // or GDI does, the whole picture lands in the drawn rectangle the right way round.
  PictureRef picture = loader_.load(sourcePath("tests/data/quadrants 3000x1500.jpg"));
  EXPECT_EQ(picture->widthHimetric(), std::lround(3000 * 2540.0 / screenDpi()));
  Win32Application app;
  Win32ShowWindow window(app);
  const float pixel = static_cast<float>(window.twipsPerPixel());
  for (int draw = 0; draw < 2; ++draw) {
    window.clear();
    window.drawPicture(*picture, 10 * pixel, 20 * pixel, 600 * pixel, 300 * pixel);
    Painted painted(window, 640, 340);
    EXPECT_TRUE(closeTo(painted.pixel(160, 95), RGB(220, 0, 0))) << draw;
    EXPECT_TRUE(closeTo(painted.pixel(460, 95), RGB(0, 200, 0))) << draw;
    EXPECT_TRUE(closeTo(painted.pixel(160, 245), RGB(0, 0, 230))) << draw;
    EXPECT_TRUE(closeTo(painted.pixel(460, 245), RGB(255, 255, 255))) << draw;
    EXPECT_TRUE(closeTo(painted.pixel(12, 22), RGB(220, 0, 0))) << "top-left corner, " << draw;
    EXPECT_TRUE(closeTo(painted.pixel(607, 317), RGB(255, 255, 255))) << "bottom-right, " << draw;
    EXPECT_EQ(painted.pixel(9, 100), RGB(0, 0, 0)) << draw;
    EXPECT_EQ(painted.pixel(610, 100), RGB(0, 0, 0)) << draw;
    EXPECT_EQ(painted.pixel(300, 320), RGB(0, 0, 0)) << draw;
  }
}

TEST_F(Pictures, FileNamesOutsideTheAnsiCodePageLoad) {
  const std::wstring name = L"\x041A\x0430\x0440\x0442\x0438\x043D\x0430 \x5199\x771F.bmp";
  const std::string path = write(name, readFile(sourcePath("tests/data/02 meadow.bmp")));
  PictureRef picture = loader_.load(path);
  EXPECT_EQ(picture->widthHimetric(), std::lround(400 * 2540.0 / screenDpi()));
}

}  // namespace
}  // namespace qm::win32

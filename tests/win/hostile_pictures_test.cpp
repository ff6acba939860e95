// Small files that declare huge pictures cost the loader little time and memory: a refusal, or
// for an animation its first frame. A fresh copy of this executable loads them, so that the peak
// memory it reads is theirs.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <process.h>
#include <psapi.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "tests/common/picture_files.h"
#include "tests/win/helpers.h"
#include "toolkit/win32/picture.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/unique_handle.h"

namespace qm::win32 {
namespace {

using namespace qm::test_files;

void writeFile(const std::wstring& path, const Bytes& bytes) {
  std::ofstream(path.c_str(), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

double processorMs() {
  FILETIME created, ended, kernel, user;
  ::GetProcessTimes(::GetCurrentProcess(), &created, &ended, &kernel, &user);
  auto ms = [](FILETIME t) {
    return double(uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime) / 1e4;
  };
  return ms(kernel) + ms(user);
}

TEST(HostilePictures, EachBombCostsLittleTimeAndMemory) {
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring quoted = L"\"" + std::wstring(self) + L"\"";
  UniqueHandleObject child(reinterpret_cast<HANDLE>(_wspawnl(
      _P_NOWAIT, self, quoted.c_str(), L"--gtest_filter=HostileChild.*", L"--child", nullptr)));
  // A child that crashed may wait for a debugger under Wine: it is stopped after a minute.
  DWORD code = 1;
  if (::WaitForSingleObject(child.get(), 60000) != WAIT_OBJECT_0)
    ::TerminateProcess(child.get(), code);
  ::GetExitCodeProcess(child.get(), &code);
  EXPECT_EQ(code, 0u) << "the child's output above says why";
}

TEST(HostileChild, LoadsEachBomb) {
  if (std::string(::GetCommandLineA()).find(" --child") == std::string::npos)
    GTEST_SKIP() << "runs in a child of HostilePictures";
  const struct {
    const char* name;
    Bytes bytes;
    int code;
  } bombs[] = {
      {"65000 x 65000 in 291 bytes.jpg", jpegFile(65000, 65000, 3, 128), 481},
      {"400 frames of 2000 x 2000.gif", gifAnimation(2000, 2000, 400), 0},
      {"11000 x 11000 RLE8 in 1 KB.bmp",
       bmpFile(bmpInfo(11000, 11000, 8, kBmpRle8), Bytes(1024), bmpRle8Rows(11000, 1, 7)), 481},
  };
  ScratchFolder scratch(L"qm-hostile-");
  ComScope com;
  WicPictureLoader loader;
  for (const auto& bomb : bombs) {
    const std::wstring path = scratch.path() + L"\\" + widen(bomb.name);
    writeFile(path, bomb.bytes);
    const double wallStart = double(::GetTickCount64()), processorStart = processorMs();
    const int code = errorOf([&] { loader.load(narrow(path)); });
    const double wall = double(::GetTickCount64()) - wallStart;
    const double processor = processorMs() - processorStart;
    PROCESS_MEMORY_COUNTERS memory{};
    ASSERT_TRUE(::K32GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory)));
    std::printf("%s: code %d in %.0f ms (%.0f ms processor); peak %.1f MB, private %.1f MB\n",
                bomb.name, code, wall, processor, memory.PeakWorkingSetSize / 1048576.0,
                memory.PeakPagefileUsage / 1048576.0);
    EXPECT_EQ(code, bomb.code) << bomb.name;
    // Processor time, which other work on a busy machine does not add to; the wall clock (at
    // its own tick of some 16 ms) only catches waiting.
    EXPECT_LT(processor, 100) << bomb.name;
    EXPECT_LT(wall, 2000) << bomb.name;
    EXPECT_LT(memory.PeakWorkingSetSize, 100u << 20) << bomb.name;
    EXPECT_LT(memory.PeakPagefileUsage, 100u << 20) << bomb.name;
  }
}

// An 8-bit picture is kept as its indices and palette: a BMP with a red bottom row and a green
// top row, drawn at its natural size.
TEST(IndexedPictures, EightBitBmpDrawsItsPaletteColoursTheRightWayUp) {
  Bytes palette(1024, 0);
  palette[4 + 2] = 200;  // index 1 red: blue, green, red, 0
  palette[8 + 1] = 180;  // index 2 green
  ScratchFolder scratch(L"qm-indexed-");
  const std::wstring path = scratch.path() + L"\\two rows.bmp";
  writeFile(path, bmpFile(bmpInfo(8, 2, 8), palette, Bytes(8, 1) + Bytes(8, 2)));
  ComScope com;
  WicPictureLoader loader;
  const PictureRef picture = loader.load(narrow(path));
  ScreenDc screen;
  UniqueHdc dc(::CreateCompatibleDC(screen.get()));
  UniqueHBitmap target(::CreateCompatibleBitmap(screen.get(), 8, 2));
  SelectGuard selected(dc.get(), target.get());
  dynamic_cast<const WicPicture&>(*picture).drawTo(dc.get(), RECT{0, 0, 8, 2});
  EXPECT_EQ(::GetPixel(dc.get(), 3, 0), RGB(0, 180, 0));
  EXPECT_EQ(::GetPixel(dc.get(), 3, 1), RGB(200, 0, 0));
}

}  // namespace
}  // namespace qm::win32

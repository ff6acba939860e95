// Small files that declare huge pictures cost the show no more than a bad file: each is loaded in
// a fresh copy of this executable, which times the load and reads its own peak memory.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <algorithm>
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

constexpr double kMostMilliseconds = 100;
constexpr double kLongestDecodeMilliseconds = 2000;  // on the wall clock, on a busy machine
constexpr uint64_t kMostProcessBytes = 100ull << 20;

// 65000 x 65000 in under 300 bytes: the frame header and a few bytes of image data.
Bytes jpegBomb() { return jpegFile(65000, 65000, 3, 128); }

// 400 frames of 2000 x 2000; only the first is red.
Bytes gifBomb() {
  std::vector<Bytes> blocks{
      gifExtension(0xFF, {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 1, 0, 0}),
      gifSolidImage(2000, 2000, 0)};
  const Bytes later = gifExtension(0xF9, {4, 10, 0, 0}) + gifSolidImage(2000, 2000, 2);
  blocks.resize(400, later);
  return gifFile(2000, 2000, blocks);
}

// 11000 x 11000 run-length coded, about a kilobyte: one row of runs, then the end of picture.
Bytes bmpBomb() {
  return bmpFile(bmpInfoHeader(11000, 11000, 8, kBmpRle8), bmpPalette256(),
                 bmpRle8Rows(11000, 1, 7));
}

struct Bomb {
  const char* name;
  Bytes (*make)();
  bool loadsFirstFrame;
};

const Bomb kBombs[] = {{"jpeg", jpegBomb, false}, {"gif", gifBomb, true}, {"bmp", bmpBomb, false}};

void writeFile(const std::wstring& path, const Bytes& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::string childArgument() {
  const std::string line = ::GetCommandLineA();
  const size_t at = line.find("--bomb=");
  return at == std::string::npos ? std::string() : line.substr(at + 7, line.find(' ', at) - at - 7);
}

// The wall clock and the processor time of this process, in milliseconds.
struct Clocks {
  double wallMs, processorMs;
  static Clocks now() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    FILETIME created, ended, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &ended, &kernel, &user);
    auto ms = [](FILETIME time) {
      return static_cast<double>(uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime) / 1e4;
    };
    return {
        static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart),
        ms(kernel) + ms(user)};
  }
  Clocks operator-(const Clocks& other) const {
    return {wallMs - other.wallMs, processorMs - other.processorMs};
  }
};

DWORD runChild(const std::wstring& arguments, DWORD waitMs) {
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(self) + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    return 9999;
  UniqueHandleObject processHandle(process.hProcess), threadHandle(process.hThread);
  if (::WaitForSingleObject(process.hProcess, waitMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.hProcess, 9998);
    return 9998;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  return code;
}

TEST(HostilePictures, EachBombCostsLittleTimeAndMemory) {
  for (const Bomb& bomb : kBombs)
    EXPECT_EQ(runChild(L"--gtest_filter=HostilePictureChild.* --bomb=" + widen(bomb.name), 60000),
              0u)
        << bomb.name;
}

TEST(HostilePictureChild, LoadsOneBomb) {
  const std::string which = childArgument();
  if (which.empty()) GTEST_SKIP() << "runs as a child of HostilePictures";
  const Bomb* bomb = nullptr;
  for (const Bomb& candidate : kBombs)
    if (which == candidate.name) bomb = &candidate;
  ASSERT_NE(bomb, nullptr) << which;

  ScratchFolder scratch(L"qm-hostile-");
  const std::wstring path = scratch.path() + L"\\bomb." + widen(bomb->name);
  writeFile(path, bomb->make());
  ComScope com;
  WicPictureLoader loader;

  const Clocks before = Clocks::now();
  PictureRef picture;
  const int code = errorOf([&] { picture = loader.load(narrow(path)); });
  const Clocks spent = Clocks::now() - before;
  PROCESS_MEMORY_COUNTERS memory{};
  ASSERT_TRUE(::K32GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory)));
  std::printf(
      "%s bomb: code %d in %.1f ms (%.0f ms of processor time); peak working set %.1f MB, "
      "peak private %.1f MB\n",
      bomb->name, code, spent.wallMs, spent.processorMs, memory.PeakWorkingSetSize / 1048576.0,
      memory.PeakPagefileUsage / 1048576.0);

  // Processor time, so that other work on a busy machine does not count; the wall clock only
  // catches waiting.
  EXPECT_LT(spent.processorMs, kMostMilliseconds);
  EXPECT_LT(spent.wallMs, kLongestDecodeMilliseconds);
  EXPECT_LT(memory.PeakWorkingSetSize, kMostProcessBytes);
  EXPECT_LT(memory.PeakPagefileUsage, kMostProcessBytes);
  if (!bomb->loadsFirstFrame) {
    EXPECT_EQ(code, 481);
    return;
  }
  ASSERT_EQ(code, 0);
  const auto* loaded = dynamic_cast<const WicPicture*>(picture.get());
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->widthPixels(), 2000);
  EXPECT_EQ(loaded->heightPixels(), 2000);
  ScreenDc screen;
  UniqueHdc memoryDc(::CreateCompatibleDC(screen.get()));
  UniqueHBitmap target(::CreateCompatibleBitmap(screen.get(), 20, 20));
  SelectGuard selected(memoryDc.get(), target.get());
  loaded->drawTo(memoryDc.get(), RECT{0, 0, 20, 20});
  EXPECT_EQ(::GetPixel(memoryDc.get(), 10, 10), RGB(220, 0, 0)) << "not the first frame";
}

// An 8-bit picture is kept as its indices and palette, as the GIF above is: an 8-bit BMP with a
// red bottom row and a green top row, drawn at its natural size.
TEST(IndexedPictures, EightBitBmpDrawsItsPaletteColoursTheRightWayUp) {
  Bytes palette = bmpPalette256();
  auto setColour = [&palette](int index, uint8_t red, uint8_t green, uint8_t blue) {
    std::copy_n(Bytes{blue, green, red}.begin(), 3, palette.begin() + 4 * index);
  };
  setColour(1, 200, 0, 0);
  setColour(2, 0, 180, 0);
  Bytes rows(8, 1);  // bottom row first
  rows.resize(16, 2);
  ScratchFolder scratch(L"qm-indexed-");
  const std::wstring path = scratch.path() + L"\\two rows.bmp";
  writeFile(path, bmpFile(bmpInfoHeader(8, 2, 8), palette, rows));
  ComScope com;
  WicPictureLoader loader;
  const PictureRef picture = loader.load(narrow(path));
  const auto& loaded = dynamic_cast<const WicPicture&>(*picture);
  ScreenDc screen;
  UniqueHdc memoryDc(::CreateCompatibleDC(screen.get()));
  UniqueHBitmap target(::CreateCompatibleBitmap(screen.get(), 8, 2));
  SelectGuard selected(memoryDc.get(), target.get());
  loaded.drawTo(memoryDc.get(), RECT{0, 0, 8, 2});
  EXPECT_EQ(::GetPixel(memoryDc.get(), 3, 0), RGB(0, 180, 0));
  EXPECT_EQ(::GetPixel(memoryDc.get(), 3, 1), RGB(200, 0, 0));
}

}  // namespace
}  // namespace qm::win32

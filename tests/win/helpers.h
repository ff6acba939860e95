#pragma once
// Shared by the Windows-side tests: what they include, COM, scratch folders, files, paintings.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <imm.h>
#include <objbase.h>
#include <psapi.h>

// Beyond the strings, vectors, pairs and fixed-width integers of the toolkit's interfaces.
#include <algorithm>
#include <array>
#include <bitset>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <tuple>

#include "tests/error_of.h"
#include "toolkit/win32/common_controls.h"
#include "toolkit/win32/dialog_controls.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/folders.h"
#include "toolkit/win32/toolkit.h"
#include "toolkit/win32/window.h"

namespace qm::win32 {

// COM on this thread for as long as the object lives: declare it before what needs it.
struct ComScope {
  ComScope() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComScope() { ::CoUninitialize(); }
  ComScope(const ComScope&) = delete;  // a copy would end COM once more; it holds nothing to assign
};

// A scratch folder under %TEMP%, removed with all it holds when the object goes.
struct ScratchFolder {
  explicit ScratchFolder(const std::wstring& prefix)
      : path(std::filesystem::temp_directory_path() /
             (prefix + std::to_wstring(::GetCurrentProcessId()))) {
    std::filesystem::create_directory(path);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;  // its const path already forbids assignment
  const std::wstring path;
};

// A memory bitmap of the screen's kind, to paint into and read back a pixel at a time.
struct Canvas {
  Canvas(int width, int height)
      : bitmap(::CreateCompatibleBitmap(ScreenDc().get(), width, height)),
        selected(dc.get(), bitmap.get()) {}
  COLORREF pixel(int x, int y) const { return ::GetPixel(dc.get(), x, y); }
  UniqueHdc dc{::CreateCompatibleDC(nullptr)};  // made first, as declared
  UniqueHBitmap bitmap;
  SelectGuard selected;
};

// The source tree as Wine sees it (the Linux root is drive Z:).
inline std::string sourcePath(const std::string& relative) {
  return "Z:" + std::filesystem::path(QM_SOURCE_DIR "/" + relative).make_preferred().string();
}

inline std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(widen(path).c_str(), std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path.c_str(), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace qm::win32

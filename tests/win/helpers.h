#pragma once
// Shared by the Windows-side tests.
#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <shellapi.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/error_of.h"
#include "toolkit/win32/text.h"

namespace qm::win32 {

// COM on this thread for as long as the object lives: declare it before what needs it.
struct ComScope {
  ComScope() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComScope() { ::CoUninitialize(); }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
};

// A scratch folder under %TEMP%, removed with all it holds when the object goes.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::wstring& prefix) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + prefix + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~ScratchFolder() {
    std::wstring from = path_ + L'\0';
    SHFILEOPSTRUCTW remove{};
    remove.wFunc = FO_DELETE;
    remove.pFrom = from.c_str();
    remove.fFlags = FOF_NO_UI;
    ::SHFileOperationW(&remove);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

// The source tree as Wine sees it (the Linux root is drive Z:).
inline std::string sourcePath(const std::string& relative) {
  std::string path = std::string("Z:") + QM_SOURCE_DIR + "/" + relative;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path;
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

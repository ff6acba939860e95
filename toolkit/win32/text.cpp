#include "toolkit/win32/text.h"

#include <windows.h>

namespace qm::win32 {

std::wstring widen(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  int length =
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
  return wide;
}

std::string narrow(const std::wstring& utf16) {
  if (utf16.empty()) return std::string();
  int length = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()),
                                     nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), &utf8[0], length,
                        nullptr, nullptr);
  return utf8;
}

}  // namespace qm::win32

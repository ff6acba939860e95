#pragma once
// Win32: the logic speaks UTF-8, the platform UTF-16.
#include <string>

namespace qm::win32 {

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);

}  // namespace qm::win32

#include "toolkit/win32/folders.h"

#include <windows.h>

#include "toolkit/file_names.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/unique_handle.h"

namespace qm::win32 {

bool isFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> visibleEntries(const std::wstring& folder, bool folders) {
  std::wstring search = folder;
  if (search.back() != L'\\') search += L'\\';
  search += L'*';
  std::vector<std::string> names;
  WIN32_FIND_DATAW entry;
  UniqueFindHandle find(::FindFirstFileW(search.c_str(), &entry));
  if (!find) return names;
  do {
    const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::wstring name = entry.cFileName;
    if (isFolder != folders ||
        (entry.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) ||
        name == L"." || name == L"..")
      continue;
    names.push_back(narrow(name));
  } while (::FindNextFileW(find.get(), &entry));
  return names;
}

std::wstring fullPath(const std::wstring& path) {
  wchar_t buffer[32768];
  DWORD length = ::GetFullPathNameW(path.c_str(), 32768, buffer, nullptr);
  if (length == 0 || length >= 32768) return path;
  std::wstring full(buffer, length);
  length = ::GetLongPathNameW(full.c_str(), buffer, 32768);
  if (length > 0 && length < 32768) full.assign(buffer, length);
  return withoutFinalSeparator(full);
}

std::wstring currentDirectory() {
  wchar_t buffer[32768];
  const DWORD length = ::GetCurrentDirectoryW(32768, buffer);
  return length > 0 && length < 32768 ? fullPath(std::wstring(buffer, length)) : L"C:\\";
}

namespace {
std::wstring folderFrom(UINT(WINAPI* get)(LPWSTR, UINT)) {
  wchar_t path[MAX_PATH];
  const UINT length = get(path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}
}  // namespace

std::wstring systemFolder() { return folderFrom(::GetSystemDirectoryW); }
std::wstring windowsFolder() { return folderFrom(::GetWindowsDirectoryW); }

UniqueHModule loadSystemLibrary(const wchar_t* name) {
  const std::wstring folder = systemFolder();
  if (folder.empty()) return UniqueHModule();
  return UniqueHModule(::LoadLibraryExW((folder + L"\\" + name).c_str(), nullptr, 0));
}

}  // namespace qm::win32

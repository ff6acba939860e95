#pragma once
// Win32: folder paths and the entries of a folder.
#include <string>
#include <vector>

#include "toolkit/win32/unique_handle.h"

namespace qm::win32 {

bool isFolder(const std::wstring& path);
// "c:\\pictures\\" and "c:" (that drive's current directory) as a full, long-name path.
std::wstring fullPath(const std::wstring& path);
// The process's current directory, as a full path.
std::wstring currentDirectory();
// The system folder and the Windows folder, or empty when they cannot be read: what the
// program loads from there it loads by full path, never from beside itself.
std::wstring systemFolder();
std::wstring windowsFolder();
// A DLL of the system folder by its full path (null when it cannot be loaded): one planted
// beside the screen saver or in the current folder is never loaded.
UniqueHModule loadSystemLibrary(const wchar_t* name);

// The names of a folder's files (or of its subfolders), hidden and system ones left out, in
// the order the platform gives them.
std::vector<std::string> visibleEntries(const std::wstring& folder, bool folders);

}  // namespace qm::win32

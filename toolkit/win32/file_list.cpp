#include "toolkit/win32/file_list.h"

#include "toolkit/win32/folders.h"
#include "toolkit/win32/text.h"

namespace qm::win32 {

bool Win32FileList::readFolder(const std::string& folder, std::vector<std::string>& names) const {
  const std::wstring wide = widen(folder);
  if (!isFolder(wide)) return false;
  names = visibleEntries(wide, false);
  return true;
}

}  // namespace qm::win32

#include "toolkit/win32/file_list.h"

#include "toolkit/failure.h"
#include "toolkit/file_names.h"
#include "toolkit/win32/folders.h"
#include "toolkit/win32/text.h"

namespace qm::win32 {

void Win32FileList::setPath(const std::string& path) {
  const std::wstring folder = withoutFinalSeparator(widen(path));
  if (!isFolder(folder)) throw Failure(ErrorCode::kPathNotFound, path);
  std::vector<std::string> names;
  for (std::string& name : visibleEntries(folder, false))
    if (matchesPattern(name, pattern_)) names.push_back(std::move(name));
  orderForList(names);
  path_ = narrow(folder);
  names_ = std::move(names);
}

std::string Win32FileList::list(int16_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= names_.size()) return std::string();
  return names_[static_cast<size_t>(index)];
}

}  // namespace qm::win32

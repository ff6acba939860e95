#pragma once
// Win32: the files of one folder matching the pattern; hidden and system files left out.
#include <string>
#include <vector>

#include "toolkit/file_names.h"

namespace qm::win32 {

class Win32FileList : public FolderFileList {
 public:
  using FolderFileList::FolderFileList;

 private:
  bool readFolder(const std::string& folder, std::vector<std::string>& names) const override;
};

}  // namespace qm::win32

#pragma once
// How file lists choose and order their entries, shared by the Win32 lists and the tests' fake.
#include <string>
#include <vector>

#include "toolkit/window.h"

namespace qm {

// True when the long file name matches one of the ";"-separated wildcards ("*" and "?"),
// without regard to letter case. "*.jpg" admits "A.JPG" but neither "a.jpgx" nor "a.jpeg".
bool matchesPattern(const std::string& name, const std::string& pattern);

// The order in which Explorer sorts names: case-insensitive, runs of digits compared as
// numbers, so "img2" comes before "img10".
bool naturalLess(const std::string& a, const std::string& b);

// Sorts naturally and keeps at most the first 32767 names (a list count is 16-bit).
void orderForList(std::vector<std::string>& names);

// A folder path without its final separators, except at a drive's root ("c:\").
template <class Text>
Text withoutFinalSeparator(Text path) {
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

// The file list's rules, written once: the path kept without its final separator, the pattern
// applied to the visible files, the natural order, empty text past the end. A toolkit supplies
// only the reading of a folder.
class FolderFileList : public FileList {
 public:
  explicit FolderFileList(std::string pattern) : pattern_(std::move(pattern)) {}
  std::string path() const override { return path_; }
  void setPath(const std::string& path) override;
  std::string pattern() const override { return pattern_; }
  void setPattern(const std::string& pattern) override { pattern_ = pattern; }
  int16_t listCount() const override { return static_cast<int16_t>(names_.size()); }
  std::string list(int16_t index) const override;

 protected:
  // Fills names with the folder's visible files (not folders); false when it does not exist.
  virtual bool readFolder(const std::string& folder, std::vector<std::string>& names) const = 0;

 private:
  std::string pattern_;
  std::string path_;
  std::vector<std::string> names_;
};

}  // namespace qm

#pragma once
// Win32: the files of one folder matching the pattern; hidden and system files left out.
#include <string>
#include <vector>

#include "toolkit/window.h"

namespace qm::win32 {

class Win32FileList : public FileList {
 public:
  explicit Win32FileList(std::string pattern) : pattern_(std::move(pattern)) {}
  std::string path() const override { return path_; }
  void setPath(const std::string& path) override;
  std::string pattern() const override { return pattern_; }
  void setPattern(const std::string& pattern) override { pattern_ = pattern; }
  int16_t listCount() const override { return static_cast<int16_t>(names_.size()); }
  std::string list(int16_t index) const override;

 private:
  std::string pattern_;
  std::string path_;
  std::vector<std::string> names_;
};

}  // namespace qm::win32

#include "toolkit/file_names.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "toolkit/failure.h"

namespace qm {

namespace {

char fold(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool matchWildcard(const char* name, const char* nameEnd, const char* wild, const char* wildEnd) {
  // Iterative match with one backtracking point for the last "*".
  const char* starWild = nullptr;
  const char* starName = nullptr;
  while (name != nameEnd) {
    if (wild != wildEnd && (*wild == '?' || fold(*wild) == fold(*name))) {
      ++wild, ++name;
    } else if (wild != wildEnd && *wild == '*') {
      starWild = ++wild;
      starName = name;
    } else if (starWild) {
      wild = starWild;
      name = ++starName;
    } else {
      return false;
    }
  }
  while (wild != wildEnd && *wild == '*') ++wild;
  return wild == wildEnd;
}

}  // namespace

bool matchesPattern(const std::string& name, const std::string& pattern) {
  size_t start = 0;
  while (start <= pattern.size()) {
    size_t end = pattern.find(';', start);
    if (end == std::string::npos) end = pattern.size();
    std::string wild = pattern.substr(start, end - start);
    wild.erase(0, wild.find_first_not_of(' '));
    wild.erase(wild.find_last_not_of(' ') + 1);
    if (!wild.empty() && matchWildcard(name.data(), name.data() + name.size(), wild.data(),
                                       wild.data() + wild.size()))
      return true;
    start = end + 1;
  }
  return false;
}

bool naturalLess(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (isDigit(a[i]) && isDigit(b[j])) {
      // Compare the numbers by value: skip leading zeros, then longer is larger.
      size_t zi = i, zj = j;
      while (zi < a.size() && a[zi] == '0') ++zi;
      while (zj < b.size() && b[zj] == '0') ++zj;
      size_t ei = zi, ej = zj;
      while (ei < a.size() && isDigit(a[ei])) ++ei;
      while (ej < b.size() && isDigit(b[ej])) ++ej;
      if (ei - zi != ej - zj) return ei - zi < ej - zj;
      int cmp = a.compare(zi, ei - zi, b, zj, ej - zj);
      if (cmp != 0) return cmp < 0;
      i = ei, j = ej;
      continue;
    }
    char ca = fold(a[i]), cb = fold(b[j]);
    if (ca != cb) return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb);
    ++i, ++j;
  }
  if ((a.size() - i) != (b.size() - j)) return (a.size() - i) < (b.size() - j);
  return a < b;  // equal but for case or leading zeros: keep a stable, total order
}

void orderForList(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(), naturalLess);
  if (names.size() > INT16_MAX) names.resize(INT16_MAX);
}

void FolderFileList::setPath(const std::string& path) {
  const std::string folder = withoutFinalSeparator(path);
  std::vector<std::string> files, names;
  if (!readFolder(folder, files)) throw Failure(ErrorCode::kPathNotFound, path);
  for (std::string& name : files)
    if (matchesPattern(name, pattern_)) names.push_back(std::move(name));
  orderForList(names);
  path_ = folder;
  names_ = std::move(names);
}

std::string FolderFileList::list(int16_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= names_.size()) return std::string();
  return names_[static_cast<size_t>(index)];
}

}  // namespace qm

#pragma once
// How file lists choose and order their entries, shared by the Win32 lists and the tests' fake.
#include <string>
#include <vector>

namespace qm {

// True when the long file name matches one of the ";"-separated wildcards ("*" and "?"),
// without regard to letter case. "*.jpg" admits "A.JPG" but neither "a.jpgx" nor "a.jpeg".
bool matchesPattern(const std::string& name, const std::string& pattern);

// The order in which Explorer sorts names: case-insensitive, runs of digits compared as
// numbers, so "img2" comes before "img10".
bool naturalLess(const std::string& a, const std::string& b);

// Sorts naturally and keeps at most the first 32767 names (a list count is 16-bit).
void orderForList(std::vector<std::string>& names);

}  // namespace qm

#pragma once
// Per-user text settings addressed by application, section and key. Names match without regard
// to letter case; values are text and are never validated.
#include <string>

namespace qm {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored text, or defaultValue when the application, section or key is absent.
  virtual std::string read(const std::string& application, const std::string& section,
                           const std::string& key, const std::string& defaultValue) = 0;
  // Creates what is missing; replaces a value stored under the same names in any letter case.
  virtual void write(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& value) = 0;
};

}  // namespace qm

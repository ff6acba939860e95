#pragma once
// Win32: per-user settings in the registry under
// HKEY_CURRENT_USER\Software\Quillmoor Screen Saver\<application>\<section>, one REG_SZ value
// per key. The registry itself matches names without regard to case.
#include "toolkit/settings_store.h"

namespace qm::win32 {

class RegistrySettingsStore : public SettingsStore {
 public:
  std::string read(const std::string& application, const std::string& section,
                   const std::string& key, const std::string& defaultValue) override;
  void write(const std::string& application, const std::string& section, const std::string& key,
             const std::string& value) override;
};

}  // namespace qm::win32

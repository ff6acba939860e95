#pragma once
// The product's settings: text values of application "file" in the per-user store.
#include <string>

#include "toolkit/application.h"
#include "toolkit/settings_store.h"

namespace qm {

constexpr const char kSettingsApplication[] = "file";

// Returns the stored text, or the default when nothing is stored. Never an error.
std::string ReadSetting(SettingsStore& store, const std::string& section, const std::string& key,
                        const std::string& defaultValue);
void WriteSetting(SettingsStore& store, const std::string& section, const std::string& key,
                  const std::string& value);

// The default picture folder: the executable's directory with "\" appended, so a drive's
// root gives two.
std::string defaultPicturePath(const Application& app);

}  // namespace qm

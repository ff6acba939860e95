#include "settings/settings.h"

namespace qm {

std::string ReadSetting(SettingsStore& store, const std::string& section, const std::string& key,
                        const std::string& defaultValue) {
  return store.read(kSettingsApplication, section, key, defaultValue);
}

void WriteSetting(SettingsStore& store, const std::string& section, const std::string& key,
                  const std::string& value) {
  store.write(kSettingsApplication, section, key, value);
}

std::string defaultPicturePath(const Application& app) { return app.exeDirectory() + "\\"; }

}  // namespace qm

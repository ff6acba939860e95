#include "toolkit/win32/settings_store.h"

#include <windows.h>

#include "toolkit/failure.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/unique_handle.h"

namespace qm::win32 {

namespace {

std::wstring settingsKey(const std::string& application, const std::string& section) {
  return L"Software\\Quillmoor Screen Saver\\" + widen(application) + L"\\" + widen(section);
}

}  // namespace

std::string RegistrySettingsStore::read(const std::string& application, const std::string& section,
                                        const std::string& key, const std::string& defaultValue) {
  UniqueHKey settings;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, settingsKey(application, section).c_str(), 0, KEY_READ,
                      settings.put()) != ERROR_SUCCESS)
    return defaultValue;
  const std::wstring name = widen(key);
  // A value of another type, or one that cannot be read, counts as absent.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0, bytes = 0;
    if (::RegQueryValueExW(settings.get(), name.c_str(), nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
      return defaultValue;
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD capacity = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    LONG result = ::RegQueryValueExW(settings.get(), name.c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(&value[0]), &capacity);
    if (result == ERROR_MORE_DATA) continue;  // grew in between: ask again
    if (result != ERROR_SUCCESS || type != REG_SZ) return defaultValue;
    value.resize(capacity / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    return narrow(value);
  }
  return defaultValue;
}

void RegistrySettingsStore::write(const std::string& application, const std::string& section,
                                  const std::string& key, const std::string& value) {
  UniqueHKey settings;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, settingsKey(application, section).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, settings.put(), nullptr) != ERROR_SUCCESS)
    throw Failure(ErrorCode::kPermissionDenied, "settings " + section);
  const std::wstring text = widen(value);
  const std::wstring name = widen(key);
  if (::RegSetValueExW(settings.get(), name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
    throw Failure(ErrorCode::kPermissionDenied, "settings " + section + "\\" + key);
}

}  // namespace qm::win32

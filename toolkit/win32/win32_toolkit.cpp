#include "toolkit/win32/win32_toolkit.h"

#include "toolkit/failure.h"
#include "toolkit/file_names.h"
#include "toolkit/win32/setting_dialog.h"
#include "toolkit/win32/show_window.h"
#include "toolkit/win32/text.h"

namespace qm::win32 {

namespace {

std::wstring settingsKey(const std::string& application, const std::string& section) {
  return L"Software\\Quillmoor Screen Saver\\" + widen(application) + L"\\" + widen(section);
}

Win32ShowWindow& asShowWindow(Window& window) { return dynamic_cast<Win32ShowWindow&>(window); }

}  // namespace

std::string RegistrySettingsStore::read(const std::string& application, const std::string& section,
                                        const std::string& key, const std::string& defaultValue) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, settingsKey(application, section).c_str(), 0, KEY_READ,
                      &opened) != ERROR_SUCCESS)
    return defaultValue;
  UniqueHKey settings(opened);
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
  HKEY created = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, settingsKey(application, section).c_str(), 0, nullptr,
                        0, KEY_SET_VALUE, nullptr, &created, nullptr) != ERROR_SUCCESS)
    throw Failure(ErrorCode::kPermissionDenied, "settings " + section);
  UniqueHKey settings(created);
  const std::wstring text = widen(value);
  const std::wstring name = widen(key);
  if (::RegSetValueExW(settings.get(), name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
    throw Failure(ErrorCode::kPermissionDenied, "settings " + section + "\\" + key);
}

std::vector<uint8_t> ModuleResourceReader::read(const char* type, int16_t id) {
  const std::wstring typeName = widen(type);
  HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(static_cast<WORD>(id)), typeName.c_str());
  if (!found) throw Failure(ErrorCode::kResourceNotFound, std::string(type) + " " + std::to_string(id));
  HGLOBAL loaded = ::LoadResource(nullptr, found);
  const DWORD size = ::SizeofResource(nullptr, found);
  const auto* data = loaded ? static_cast<const uint8_t*>(::LockResource(loaded)) : nullptr;
  if (!data) throw Failure(ErrorCode::kResourceNotFound, std::string(type) + " " + std::to_string(id));
  return std::vector<uint8_t>(data, data + size);
}

bool WinmmSoundOutput::play(const uint8_t* image, uint32_t flags) {
  if (!playSound_) {
    // By full path from the system folder: a WINMM.DLL planted beside the screen saver or in
    // the current folder is never loaded.
    wchar_t system[MAX_PATH];
    UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) throw Failure(ErrorCode::kCannotBindCall, "WINMM.DLL");
    winmm_.reset(::LoadLibraryW((std::wstring(system) + L"\\WINMM.DLL").c_str()));
    if (!winmm_) throw Failure(ErrorCode::kCannotBindCall, "WINMM.DLL");
    playSound_ = reinterpret_cast<PlayFunction>(
        reinterpret_cast<void*>(::GetProcAddress(winmm_.get(), "sndPlaySoundA")));
    if (!playSound_) throw Failure(ErrorCode::kCannotBindCall, "sndPlaySoundA");
  }
  return playSound_(reinterpret_cast<LPCSTR>(image), flags) != FALSE;
}

bool isFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring withoutFinalSeparator(std::wstring path) {
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

std::vector<std::string> visibleEntries(const std::wstring& folder, bool folders) {
  std::wstring search = folder;
  if (search.back() != L'\\') search += L'\\';
  search += L'*';
  std::vector<std::string> names;
  WIN32_FIND_DATAW entry;
  HANDLE find = ::FindFirstFileW(search.c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  UniqueFindHandle finding(find);
  do {
    const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::wstring name = entry.cFileName;
    if (isFolder != folders || (entry.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) ||
        name == L"." || name == L"..")
      continue;
    names.push_back(narrow(name));
  } while (::FindNextFileW(find, &entry));
  return names;
}

void Win32FileList::setPath(const std::string& path) {
  const std::wstring folder = withoutFinalSeparator(widen(path));
  if (!isFolder(folder)) throw Failure(ErrorCode::kPathNotFound, path);
  std::vector<std::string> names;
  for (std::string& name : visibleEntries(folder, false))
    if (matchesPattern(name, pattern_)) names.push_back(std::move(name));
  orderForList(names);
  path_ = narrow(folder);
  names_ = std::move(names);
}

std::string Win32FileList::list(int16_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= names_.size()) return std::string();
  return names_[static_cast<size_t>(index)];
}

std::unique_ptr<Window> Win32Toolkit::createShowWindow() {
  return std::make_unique<Win32ShowWindow>(application_);
}

std::unique_ptr<Timer> Win32Toolkit::createTimer(Window& owner) {
  return std::make_unique<Win32Timer>(asShowWindow(owner));
}

std::unique_ptr<Label> Win32Toolkit::createLabel(Window& owner, const LabelStyle& style) {
  return std::make_unique<Win32Label>(asShowWindow(owner), style);
}

std::unique_ptr<FileList> Win32Toolkit::createFileList(const std::string& pattern) {
  return std::make_unique<Win32FileList>(pattern);
}

namespace {
Win32Dialog& asDialog(Dialog& dialog) { return dynamic_cast<Win32Dialog&>(dialog); }
}  // namespace

std::unique_ptr<Dialog> Win32Toolkit::createDialog(const std::string& caption, float width,
                                                   float height) {
  return std::make_unique<Win32Dialog>(application_, caption, width, height);
}

void Win32Toolkit::addFrame(Dialog& dialog, const std::string& caption, const Place& place) {
  HWND frame = asDialog(dialog).addControl(L"BUTTON", caption, BS_GROUPBOX, place);
  // Behind the controls it holds, so that it never paints over them.
  ::SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32Toolkit::addLabel(Dialog& dialog, const std::string& caption, const Place& place) {
  asDialog(dialog).addControl(L"STATIC", caption, SS_LEFT | SS_NOPREFIX, place);
}

std::unique_ptr<Button> Win32Toolkit::createButton(Dialog& dialog, const std::string& caption,
                                                   const Place& place, int index) {
  return std::make_unique<Win32Button>(asDialog(dialog), caption, place, index);
}

std::unique_ptr<DriveList> Win32Toolkit::createDriveList(Dialog& dialog, const Place& place) {
  return std::make_unique<Win32DriveList>(asDialog(dialog), place);
}

std::unique_ptr<DirList> Win32Toolkit::createDirList(Dialog& dialog, const Place& place) {
  return std::make_unique<Win32DirList>(asDialog(dialog), place);
}

std::unique_ptr<FileList> Win32Toolkit::createFileListBox(Dialog& dialog,
                                                          const std::string& pattern,
                                                          const Place& place) {
  return std::make_unique<Win32FileListBox>(asDialog(dialog), pattern, place);
}

std::unique_ptr<TextBox> Win32Toolkit::createTextBox(Dialog& dialog, const TextBoxStyle& style) {
  return std::make_unique<Win32TextBox>(asDialog(dialog), style);
}

std::unique_ptr<CheckBox> Win32Toolkit::createCheckBox(Dialog& dialog, const std::string& caption,
                                                       const Place& place) {
  return std::make_unique<Win32CheckBox>(asDialog(dialog), caption, place);
}

}  // namespace qm::win32

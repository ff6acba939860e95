#pragma once
// Win32: the toolkit the executable runs on.
#include <string>
#include <vector>

#include "toolkit/toolkit.h"
#include "toolkit/win32/unique_handle.h"
#include "toolkit/win32/win32_application.h"
#include "toolkit/win32/wic_picture.h"

namespace qm::win32 {

// Per-user settings in the registry under
// HKEY_CURRENT_USER\Software\Quillmoor Screen Saver\<application>\<section>, one REG_SZ value
// per key. The registry itself matches names without regard to case.
class RegistrySettingsStore : public SettingsStore {
 public:
  std::string read(const std::string& application, const std::string& section,
                   const std::string& key, const std::string& defaultValue) override;
  void write(const std::string& application, const std::string& section, const std::string& key,
             const std::string& value) override;
};

// Resources of the running executable.
class ModuleResourceReader : public ResourceReader {
 public:
  std::vector<uint8_t> read(const char* type, int16_t id) override;
};

// sndPlaySoundA of WINMM.DLL, bound by name on first use, from the system folder only.
class WinmmSoundOutput : public SoundOutput {
 public:
  bool play(const uint8_t* image, uint32_t flags) override;

 private:
  using PlayFunction = BOOL(WINAPI*)(LPCSTR, UINT);
  UniqueHModule winmm_;
  PlayFunction playSound_ = nullptr;
};

bool isFolder(const std::wstring& path);
// A folder path without its final separators, except at a drive's root ("c:\\").
std::wstring withoutFinalSeparator(std::wstring path);

// The names of a folder's files (or of its subfolders), hidden and system ones left out, in
// the order the platform gives them.
std::vector<std::string> visibleEntries(const std::wstring& folder, bool folders);

// Files of one folder matching the pattern; hidden and system files left out.
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

class Win32Toolkit : public Toolkit {
 public:
  Application& app() override { return application_; }
  Screen& screen() override { return screen_; }
  SettingsStore& settings() override { return settings_; }
  PictureLoader& pictures() override { return pictures_; }
  ResourceReader& resources() override { return resources_; }
  SoundOutput& sound() override { return sound_; }
  std::unique_ptr<Window> createShowWindow() override;
  std::unique_ptr<Timer> createTimer(Window& owner) override;
  std::unique_ptr<Label> createLabel(Window& owner, const LabelStyle& style) override;
  std::unique_ptr<FileList> createFileList(const std::string& pattern) override;
  std::unique_ptr<Dialog> createDialog(const std::string& caption, float width,
                                       float height) override;
  void addFrame(Dialog& dialog, const std::string& caption, const Place& place) override;
  void addLabel(Dialog& dialog, const std::string& caption, const Place& place) override;
  std::unique_ptr<Button> createButton(Dialog& dialog, const std::string& caption,
                                       const Place& place, int index) override;
  std::unique_ptr<DriveList> createDriveList(Dialog& dialog, const Place& place) override;
  std::unique_ptr<DirList> createDirList(Dialog& dialog, const Place& place) override;
  std::unique_ptr<FileList> createFileListBox(Dialog& dialog, const std::string& pattern,
                                              const Place& place) override;
  std::unique_ptr<TextBox> createTextBox(Dialog& dialog, const TextBoxStyle& style) override;
  std::unique_ptr<CheckBox> createCheckBox(Dialog& dialog, const std::string& caption,
                                           const Place& place) override;

 private:
  Win32Application application_;
  Win32Screen screen_;
  RegistrySettingsStore settings_;
  WicPictureLoader pictures_;
  ModuleResourceReader resources_;
  WinmmSoundOutput sound_;
};

}  // namespace qm::win32

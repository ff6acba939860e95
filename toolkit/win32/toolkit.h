#pragma once
// Win32: the toolkit the executable runs on.
#include "toolkit/toolkit.h"
#include "toolkit/win32/application.h"
#include "toolkit/win32/picture.h"
#include "toolkit/win32/preparing_loader.h"
#include "toolkit/win32/settings_store.h"
#include "toolkit/win32/sound_io.h"

namespace qm::win32 {

// Assembles the Win32 side of every toolkit interface; it holds nothing but the services.
class Win32Toolkit : public Toolkit {
 public:
  // The application comes first, before any window: it takes the single-instance mutex.
  explicit Win32Toolkit(Win32Application& application) : application_(application) {}
  Application& app() override { return application_; }
  Screen& screen() override { return screen_; }
  SettingsStore& settings() override { return settings_; }
  PictureLoader& pictures() override { return preparedPictures_; }
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
  Win32Application& application_;
  Win32Screen screen_;
  RegistrySettingsStore settings_;
  WicPictureLoader pictures_;
  // The show's loader: the next picture is decoded while the show waits, and one that is not
  // ready is decoded while the show goes on taking input and painting.
  PreparingLoader preparedPictures_{pictures_,
                                    wicPreparingPlatform([this] { application_.doEvents(); })};
  ModuleResourceReader resources_;
  WinmmSoundOutput sound_;
};

}  // namespace qm::win32

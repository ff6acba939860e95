#pragma once
// An in-memory toolkit that drives the logic natively: a controllable clock, screen, command
// line, folders and settings, and a record of what the logic did to its windows. It shares the
// timer and file-list rules with the Win32 toolkit and keeps only what tests look at.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "toolkit/failure.h"
#include "toolkit/file_names.h"
#include "toolkit/timer_rule.h"
#include "toolkit/toolkit.h"

namespace qm::fake {

struct MessageBoxShown {
  std::string text;
  int style;
  std::string title;
};

class FakeApplication : public Application {
 public:
  std::string title() const override { return "Quillmoor Screen Saver"; }
  std::string exeDirectory() const override { return "C:\\Saver"; }
  bool previousInstance() const override { return anotherCopyRuns; }
  std::string commandLine() const override { return arguments; }
  void doEvents() override;
  // Throws ProgramEnded, so that a test sees the program end where it did.
  [[noreturn]] void end() override;
  int localHour() const override { return hour; }
  int32_t showCursor(bool show) override { return cursorCounter += show ? 1 : -1; }
  void messageBox(const std::string& text, int style, const std::string& title) override {
    messageBoxes.push_back({text, style, title});
  }
  // Queues an event that the next doEvents delivers.
  void post(std::function<void()> event) { pending.push_back(std::move(event)); }

  bool anotherCopyRuns = false;
  std::string arguments;
  int hour = 9;
  int cursorCounter = 0;  // ShowCursor's display counter, 0 = visible
  bool ended = false;
  int doEventsCalls = 0;
  std::vector<MessageBoxShown> messageBoxes;
  std::deque<std::function<void()>> pending;
};

// 96 DPI: 15 twips to the pixel.
class FakeScreen : public Screen {
 public:
  float width() const override { return static_cast<float>(widthPixels) * 15; }
  float height() const override { return static_cast<float>(heightPixels) * 15; }
  int widthPixels = 1024;
  int heightPixels = 768;
};

class FakeWindow : public Window {
 public:
  FakeWindow(FakeApplication& app, FakeScreen& screen) : app_(app), screen_(screen) {}
  void setEvents(WindowEvents events) override { events_ = std::move(events); }
  void show() override;
  void hide() override { visible = false; }
  void unload() override;
  void clear() override { ++clears, drawn.clear(); }
  void drawPicture(const Picture& picture, float x, float y, float w, float h) override {
    drawn.push_back({&picture, x, y, w, h});
  }
  int32_t backColor() const override { return backColour; }
  void setBackColor(int32_t colour) override { backColour = colour; }
  float scaleWidth() const override { return screen_.width(); }
  float scaleHeight() const override { return screen_.height(); }

  // User input and system events, delivered through the dispatcher as the real loop does.
  void pressKey(int character);
  void moveMouse() { dispatchEvent(app_, events_.mouseMove); }
  void activateBySystem() { dispatchEvent(app_, events_.activate); }

  struct Drawing {
    const Picture* picture;
    float x, y, w, h;
  };
  bool visible = false;
  bool unloaded = false;
  int clears = 0;
  int32_t backColour = 0;
  std::vector<Drawing> drawn;

 private:
  FakeApplication& app_;
  FakeScreen& screen_;
  WindowEvents events_;
};

class FakeLabel : public Label {
 public:
  explicit FakeLabel(const LabelStyle& style)
      : caption_(style.caption), left_(style.left), top_(style.top) {}
  bool visible() const override { return visible_; }
  void setVisible(bool visible) override { visible_ = visible; }
  std::string caption() const override { return caption_; }
  void setCaption(const std::string& caption) override { caption_ = caption; }
  float left() const override { return left_; }
  void setLeft(float twips) override { left_ = twips; }
  float top() const override { return top_; }
  void setTop(float twips) override { top_ = twips; }

 private:
  bool visible_ = false;
  std::string caption_;
  float left_, top_;
};

// The files of each folder by path, without a final "\" (a drive's root keeps it).
using FakeFolders = std::map<std::string, std::vector<std::string>>;

class FakeFileList : public FolderFileList {
 public:
  FakeFileList(const FakeFolders& folders, std::string pattern)
      : FolderFileList(std::move(pattern)), folders_(folders) {}

 private:
  bool readFolder(const std::string& folder, std::vector<std::string>& names) const override;
  const FakeFolders& folders_;
};

// The settings dialog; every event runs through the dispatcher, as the real window's do.
class FakeDialog : public Dialog {
 public:
  explicit FakeDialog(FakeApplication& app) : app_(app) {}
  void setEvents(DialogEvents events) override { events_ = std::move(events); }
  void show() override;
  void unload() override;
  void closeByUser() {
    dispatchEvent(app_, [this] { unload(); });
  }
  bool visible = false;
  bool unloaded = false;

 private:
  FakeApplication& app_;
  DialogEvents events_;
};

class FakeButton : public Button {
 public:
  FakeButton(FakeApplication& app, int index) : app_(app), index_(index) {}
  void setClick(std::function<void(int)> click) override { click_ = std::move(click); }
  void click() {
    dispatchEvent(app_, [this] { click_(index_); });
  }

 private:
  FakeApplication& app_;
  int index_;
  std::function<void(int)> click_;
};

class FakeTextBox : public TextBox {
 public:
  explicit FakeTextBox(std::string text) : text_(std::move(text)) {}
  std::string text() const override { return text_; }
  void setText(const std::string& text) override { text_ = text; }

 private:
  std::string text_;
};

class FakeCheckBox : public CheckBox {
 public:
  int value() const override { return value_; }
  void setValue(int value) override { value_ = value; }

 private:
  int value_ = 0;
};

// "d:" alone means that drive's current directory.
class FakeDirList : public DirList {
 public:
  FakeDirList(FakeApplication& app, const FakeFolders& folders,
              const std::map<std::string, std::string>& driveDirectories, std::string start)
      : app_(app),
        folders_(folders),
        driveDirectories_(driveDirectories),
        path_(std::move(start)) {}
  std::string path() const override { return path_; }
  void setPath(const std::string& path) override;
  void setChange(std::function<void()> change) override { change_ = std::move(change); }
  // A double click on a folder of the list, as the user does it.
  void openByUser(const std::string& folder) {
    dispatchEvent(app_, [&] { setPath(folder); });
  }

 private:
  FakeApplication& app_;
  const FakeFolders& folders_;
  const std::map<std::string, std::string>& driveDirectories_;
  std::string path_;
  std::function<void()> change_;
};

class FakeDriveList : public DriveList {
 public:
  FakeDriveList(FakeApplication& app, std::string drive) : app_(app), drive_(std::move(drive)) {}
  std::string drive() const override { return drive_; }
  void setDrive(const std::string& drive) override;
  void setChange(std::function<void()> change) override { change_ = std::move(change); }
  void chooseByUser(const std::string& drive) {
    dispatchEvent(app_, [&] { setDrive(drive); });
  }

 private:
  FakeApplication& app_;
  std::string drive_;
  std::function<void()> change_;
};

// Names match without regard to letter case, as the registry's do.
class FakeSettingsStore : public SettingsStore {
 public:
  std::string read(const std::string& application, const std::string& section,
                   const std::string& key, const std::string& defaultValue) override;
  void write(const std::string& application, const std::string& section, const std::string& key,
             const std::string& value) override;
  // Every write in order, as "application/section/key=value", with the letter case used.
  std::vector<std::string> writes;

 private:
  std::map<std::string, std::string> values_;  // by lower-cased "application/section/key"
};

class FakePictureLoader : public PictureLoader {
 public:
  PictureRef load(const std::string& path, const DrawnSize& drawnSize = {}) override;
  // Pictures by full path, sizes in HIMETRIC; a path mapped to a failure code fails with it.
  std::map<std::string, std::pair<int32_t, int32_t>> pictures;
  std::map<std::string, ErrorCode> failures;
  std::vector<std::string> loads;
  std::vector<Extent> drawnSizes;  // what each successful load was told it will be drawn at
};

class FakeResourceReader : public ResourceReader {
 public:
  std::vector<uint8_t> read(const char* type, int16_t id) override;
  std::map<int16_t, std::vector<uint8_t>> sounds;  // "ATM_SOUND" resources by id
};

class FakeSoundOutput : public SoundOutput {
 public:
  bool play(const uint8_t* image, uint32_t flags) override;
  bool bindingFails = false;
  bool refuses = false;
  struct Request {
    const uint8_t* image;
    uint32_t flags;
  };
  std::vector<Request> requests;
};

class FakeToolkit : public Toolkit {
 public:
  Application& app() override { return application; }
  Screen& screen() override { return display; }
  SettingsStore& settings() override { return store; }
  PictureLoader& pictures() override { return loader; }
  ResourceReader& resources() override { return resourceReader; }
  SoundOutput& sound() override { return soundOutput; }
  std::unique_ptr<Window> createShowWindow() override;
  std::unique_ptr<Timer> createTimer(Window& owner) override;
  std::unique_ptr<Label> createLabel(Window& owner, const LabelStyle& style) override;
  std::unique_ptr<FileList> createFileList(const std::string& pattern) override;
  std::unique_ptr<Dialog> createDialog(const std::string& caption, float width,
                                       float height) override;
  void addFrame(Dialog&, const std::string&, const Place&) override {}
  void addLabel(Dialog&, const std::string&, const Place&) override {}
  std::unique_ptr<Button> createButton(Dialog& dialog, const std::string& caption,
                                       const Place& place, int index) override;
  std::unique_ptr<DriveList> createDriveList(Dialog& dialog, const Place& place) override;
  std::unique_ptr<DirList> createDirList(Dialog& dialog, const Place& place) override;
  std::unique_ptr<FileList> createFileListBox(Dialog& dialog, const std::string& pattern,
                                              const Place& place) override;
  std::unique_ptr<TextBox> createTextBox(Dialog& dialog, const TextBoxStyle& style) override;
  std::unique_ptr<CheckBox> createCheckBox(Dialog& dialog, const std::string& caption,
                                           const Place& place) override;

  FakeApplication application;
  FakeScreen display;
  FakeSettingsStore store;
  FakePictureLoader loader;
  FakeResourceReader resourceReader;
  FakeSoundOutput soundOutput;
  // The executable's own folder, which is also the process's current directory, exists.
  FakeFolders folders{{"C:\\Saver", {}}};
  // Each drive's own current directory.
  std::map<std::string, std::string> driveDirectories{{"c:", "C:\\Saver"}};

  // The objects created, for the test to drive and inspect.
  FakeWindow* lastWindow = nullptr;
  std::vector<TimerRule*> timers;  // Timer1, Timer2
  std::vector<FakeLabel*> labels;
  FakeDialog* lastDialog = nullptr;
  std::vector<FakeButton*> buttons;  // Command1, Command2
  FakeDriveList* driveList = nullptr;
  FakeDirList* dirList = nullptr;
  std::vector<FakeTextBox*> textBoxes;
  FakeCheckBox* checkBox = nullptr;
};

}  // namespace qm::fake

#pragma once
// An in-memory toolkit that drives the logic natively: a controllable clock, screen, command
// line, folders and settings, and a record of what the logic did to its windows.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "toolkit/failure.h"
#include "toolkit/toolkit.h"

namespace qm::fake {

// FakeApplication::end throws ProgramEnded, so that a test sees the program end where it did.
using qm::ProgramEnded;

struct MessageBoxShown {
  std::string text;
  int style;
  std::string title;
};

class FakeApplication : public Application {
 public:
  std::string title() const override { return "Quillmoor Screen Saver"; }
  std::string exeDirectory() const override { return exeDir; }
  bool previousInstance() const override { return anotherCopyRuns; }
  std::string commandLine() const override { return arguments; }
  void doEvents() override;
  [[noreturn]] void end() override;
  int localHour() const override { return hour; }
  int32_t showCursor(bool show) override;
  void messageBox(const std::string& text, int style, const std::string& title) override;

  // Queues an event that the next doEvents (or runPending) delivers.
  void post(std::function<void()> event) { pending.push_back(std::move(event)); }
  void runPending() { doEvents(); }

  std::string exeDir = "C:\\Saver";
  bool anotherCopyRuns = false;
  std::string arguments;
  int hour = 9;
  int cursorCounter = 0;  // ShowCursor's display counter, 0 = visible
  bool ended = false;
  int doEventsCalls = 0;
  std::vector<MessageBoxShown> messageBoxes;
  std::deque<std::function<void()>> pending;
};

class FakeScreen : public Screen {
 public:
  float width() const override { return widthPixels * twipsPerPixel(); }
  float height() const override { return heightPixels * twipsPerPixel(); }
  float twipsPerPixel() const { return 1440.0f / static_cast<float>(dpi); }
  int widthPixels = 1024;
  int heightPixels = 768;
  int dpi = 96;
};

class FakeWindow : public Window {
 public:
  FakeWindow(FakeApplication& app, FakeScreen& screen, int& showsOfAllWindows)
      : app_(app), screen_(screen), showsOfAllWindows_(showsOfAllWindows) {}
  void setEvents(WindowEvents events) override { events_ = std::move(events); }
  void show() override;
  void hide() override { visible = false; }
  void unload() override;
  void clear() override { ++clears; drawn.clear(); }
  void drawPicture(const Picture& picture, float x, float y, float w, float h) override;
  float himetricToTwipsX(float himetric) const override { return himetric * 1440.0f / 2540.0f; }
  float himetricToTwipsY(float himetric) const override { return himetric * 1440.0f / 2540.0f; }
  int32_t backColor() const override { return backColour; }
  void setBackColor(int32_t colour) override { backColour = colour; }
  float scaleWidth() const override { return screen_.width(); }
  float scaleHeight() const override { return screen_.height(); }

  // User input and system events, delivered through the dispatcher as the real loop does.
  void pressKey(int character);
  void moveMouse();
  void activateBySystem();

  struct Drawing {
    const Picture* picture;
    float x, y, w, h;
  };
  bool visible = false;
  bool unloaded = false;
  int shows = 0;
  int clears = 0;
  int32_t backColour = 0;
  std::vector<Drawing> drawn;

 private:
  FakeApplication& app_;
  FakeScreen& screen_;
  int& showsOfAllWindows_;
  WindowEvents events_;
};

class FakeTimer : public Timer {
 public:
  explicit FakeTimer(FakeApplication& app) : app_(app) {}
  void setTick(std::function<void()> tick) override { tick_ = std::move(tick); }
  int32_t interval() const override { return interval_; }
  void setInterval(int32_t milliseconds) override;
  bool enabled() const override { return enabled_; }
  void setEnabled(bool enabled) override { enabled_ = enabled; }
  // One tick, as the message loop would deliver it: none while disabled or at Interval 0, and
  // none inside a tick of the same timer.
  bool fire();

 private:
  FakeApplication& app_;
  std::function<void()> tick_;
  int32_t interval_ = 0;
  bool enabled_ = false;
  bool ticking_ = false;
};

class FakeLabel : public Label {
 public:
  explicit FakeLabel(const LabelStyle& created)
      : style(created), caption_(created.caption), left_(created.left), top_(created.top) {}
  bool visible() const override { return visible_; }
  void setVisible(bool visible) override { visible_ = visible; }
  std::string caption() const override { return caption_; }
  void setCaption(const std::string& caption) override { caption_ = caption; }
  float left() const override { return left_; }
  void setLeft(float twips) override { left_ = twips; }
  float top() const override { return top_; }
  void setTop(float twips) override { top_ = twips; }
  const LabelStyle style;

 private:
  bool visible_ = false;
  std::string caption_;
  float left_;
  float top_;
};

// Folders by path (with or without a final "\"), each a list of entries.
struct FakeEntry {
  std::string name;
  bool directory = false;
  bool hidden = false;
};
using FakeFolders = std::map<std::string, std::vector<FakeEntry>>;

class FakeFileList : public FileList {
 public:
  FakeFileList(const FakeFolders& folders, std::string pattern)
      : folders_(folders), pattern_(std::move(pattern)) {}
  std::string path() const override { return path_; }
  void setPath(const std::string& path) override;
  std::string pattern() const override { return pattern_; }
  void setPattern(const std::string& pattern) override { pattern_ = pattern; }
  int16_t listCount() const override { return static_cast<int16_t>(names_.size()); }
  std::string list(int16_t index) const override;

 private:
  const FakeFolders& folders_;
  std::string pattern_;
  std::string path_;
  std::vector<std::string> names_;
};

// The settings dialog: shown, closed by the user, unloaded. Every event runs through the
// dispatcher, as the real window's do.
class FakeDialog : public Dialog {
 public:
  FakeDialog(FakeApplication& app, std::string created) : caption(std::move(created)), app_(app) {}
  void setEvents(DialogEvents events) override { events_ = std::move(events); }
  void show() override;
  void unload() override;
  void activateBySystem() { dispatchEvent(app_, events_.activate); }
  void closeByUser() { dispatchEvent(app_, [this] { unload(); }); }

  const std::string caption;
  bool visible = false;
  bool unloaded = false;
  std::vector<std::string> controls;  // captions of frames, labels, buttons, check boxes

 private:
  FakeApplication& app_;
  DialogEvents events_;
};

class FakeButton : public Button {
 public:
  FakeButton(FakeApplication& app, int index) : app_(app), index_(index) {}
  void setClick(std::function<void(int)> click) override { click_ = std::move(click); }
  void click() { dispatchEvent(app_, [this] { click_(index_); }); }

 private:
  FakeApplication& app_;
  int index_;
  std::function<void(int)> click_;
};

class FakeTextBox : public TextBox {
 public:
  explicit FakeTextBox(const TextBoxStyle& created) : style(created), text_(created.text) {}
  std::string text() const override { return text_; }
  void setText(const std::string& text) override { text_ = text; }
  const TextBoxStyle style;

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

// Folders of fake drives; "d:" alone means that drive's current directory.
class FakeDirList : public DirList {
 public:
  FakeDirList(FakeApplication& app, const FakeFolders& folders,
              const std::map<std::string, std::string>& driveDirectories, std::string start)
      : app_(app), folders_(folders), driveDirectories_(driveDirectories), path_(std::move(start)) {}
  std::string path() const override { return path_; }
  void setPath(const std::string& path) override;
  void setChange(std::function<void()> change) override { change_ = std::move(change); }
  // A double click on a folder of the list, as the user does it.
  void openByUser(const std::string& folder) { dispatchEvent(app_, [&] { setPath(folder); }); }

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
  void chooseByUser(const std::string& drive) { dispatchEvent(app_, [&] { setDrive(drive); }); }

 private:
  FakeApplication& app_;
  std::string drive_;
  std::function<void()> change_;
};

class FakeSettingsStore : public SettingsStore {
 public:
  std::string read(const std::string& application, const std::string& section,
                   const std::string& key, const std::string& defaultValue) override;
  void write(const std::string& application, const std::string& section, const std::string& key,
             const std::string& value) override;
  // Every write in order, as "application/section/key=value", with the letter case used.
  std::vector<std::string> writes;
  int reads = 0;

 private:
  std::map<std::string, std::string> values_;  // by lower-cased "application/section/key"
};

class FakePictureLoader : public PictureLoader {
 public:
  struct FakePicture : Picture {
    FakePicture(int32_t width, int32_t height) : w(width), h(height) {}
    int32_t widthHimetric() const override { return w; }
    int32_t heightHimetric() const override { return h; }
    int32_t w, h;
  };
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

  FakeApplication application;
  FakeScreen display;
  FakeSettingsStore store;
  FakePictureLoader loader;
  FakeResourceReader resourceReader;
  FakeSoundOutput soundOutput;
  // The executable's own folder exists, empty, unless a test says otherwise.
  FakeFolders folders{{"C:\\Saver", {}}};

  // Outlives the windows, for runs that end during start-up.
  int windowShows = 0;
  // The objects created last, for the test to drive and inspect.
  FakeWindow* lastWindow = nullptr;
  std::vector<FakeTimer*> timers;
  std::vector<FakeLabel*> labels;
  std::vector<FakeFileList*> fileLists;

  // The process's current directory, and each drive's own current directory.
  std::string currentDirectory = "C:\\Saver";
  std::map<std::string, std::string> driveDirectories{{"c:", "C:\\Saver"}};
  FakeDialog* lastDialog = nullptr;
  std::vector<FakeButton*> buttons;  // Command1(0), then Command2
  FakeDriveList* driveList = nullptr;
  FakeDirList* dirList = nullptr;
  std::vector<FakeTextBox*> textBoxes;
  FakeCheckBox* checkBox = nullptr;
};

}  // namespace qm::fake

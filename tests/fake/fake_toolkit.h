#pragma once
// An in-memory toolkit recording what the logic did to it.
#include <cctype>
#include <deque>
#include <map>

#include "tests/error_of.h"
#include "toolkit/file_names.h"
#include "toolkit/timer_rule.h"
#include "toolkit/toolkit.h"

namespace qm {

// The process's services, and the screen it shows on at 96 DPI: 15 twips to the pixel.
struct FakeApplication : Application, Screen {
  std::string title() const override { return "Quillmoor Screen Saver"; }
  std::string exeDirectory() const override { return "C:\\Saver"; }
  bool previousInstance() const override { return anotherCopyRuns; }
  std::string commandLine() const override { return arguments; }
  // Runs only what is pending now; events posted by these run at the next yield.
  void doEvents() override {
    ++doEventsCalls;
    for (const auto& event : std::exchange(pending, {})) dispatchEvent(*this, event);
  }
  [[noreturn]] void end() override { throw ProgramEnded{}; }
  int localHour() const override { return hour; }
  int32_t showCursor(bool show) override { return cursorCounter += show ? 1 : -1; }
  void showMessageBox(const std::string& text, int style, const std::string& title) override {
    messageBoxes.push_back(title + "|" + std::to_string(style) + "|" + text);
    cursorAtBoxes.push_back(cursorCounter);
  }
  float width() const override { return static_cast<float>(widthPixels) * 15; }
  float height() const override { return static_cast<float>(heightPixels) * 15; }

  bool anotherCopyRuns = false;
  std::string arguments;
  int hour = 9;
  int cursorCounter = 0;  // ShowCursor's display counter, 0 = visible
  int doEventsCalls = 0;
  std::vector<std::string> messageBoxes;      // "title|style|text"
  std::vector<int> cursorAtBoxes;             // the display counter as each box came up
  std::deque<std::function<void()>> pending;  // events posted, run at the next yield
  int widthPixels = 1024, heightPixels = 768;
};

// Shown and unloaded as windows are: the activate event on show, the unload event on unload.
template <class Base, class Events>
struct FakeShowable : Base {
  explicit FakeShowable(FakeApplication& application) : app(application) {}
  void setEvents(Events handlers) override { events = std::move(handlers); }
  void show() override {
    visible = true;
    dispatchEvent(app, events.activate);
  }
  void unload() override {
    visible = false;
    unloaded = true;  // before the handler, which may end the program
    if (events.unload) events.unload();
  }
  FakeApplication& app;
  Events events;
  bool visible = false, unloaded = false;
};

struct FakeWindow : FakeShowable<Window, WindowEvents> {
  using FakeShowable::FakeShowable;
  void hide() override { visible = false; }
  void clear() override {
    ++clears;
    drawn.clear();
  }
  void drawPicture(const Picture&, float x, float y, float w, float h) override {
    drawn.insert(drawn.end(), {{x, y}, {w, h}});
  }
  int32_t backColor() const override { return backColour; }
  void setBackColor(int32_t colour) override { backColour = colour; }
  float scaleWidth() const override { return app.width(); }
  float scaleHeight() const override { return app.height(); }
  int clears = 0;
  int32_t backColour = 0;
  std::vector<Extent> drawn;  // where each picture is drawn (x, y), then its size, in twips
};

struct FakeLabel : Label {
  explicit FakeLabel(LabelStyle created) : style(std::move(created)) {}
  bool visible() const override { return shown; }
  void setVisible(bool visible) override { shown = visible; }
  std::string caption() const override { return style.caption; }
  void setCaption(const std::string& caption) override { style.caption = caption; }
  float left() const override { return style.left; }
  void setLeft(float twips) override { style.left = twips; }
  float top() const override { return style.top; }
  void setTop(float twips) override { style.top = twips; }
  LabelStyle style;
  bool shown = false;
};

// The files of each folder by path, without a final "\" (a drive's root keeps it).
using FakeFolders = std::map<std::string, std::vector<std::string>>;

struct FakeFileList : FolderFileList {
  FakeFileList(const FakeFolders& all, std::string pattern)
      : FolderFileList(std::move(pattern)), folders(all) {}
  bool readFolder(const std::string& folder, std::vector<std::string>& names) const override {
    if (folders.count(folder)) names = folders.at(folder);
    return folders.count(folder) > 0;
  }
  const FakeFolders& folders;
};

inline std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

struct FakeButton : Button {
  explicit FakeButton(int arrayIndex) : index(arrayIndex) {}
  void setClick(std::function<void(int)> handler) override { clicked = std::move(handler); }
  void click() { clicked(index); }
  int index;
  std::function<void(int)> clicked;
};

struct FakeField : TextBox, CheckBox {
  explicit FakeField(std::string start = "") : typed(std::move(start)) {}
  std::string text() const override { return typed; }
  void setText(const std::string& text) override { typed = text; }
  int value() const override { return checked; }
  void setValue(int value) override { checked = value; }
  std::string typed;
  int checked = 0;
};

// A drive list or a folder list, raising its change event when what it shows changes. A drive
// alone ("D:") names that drive's current directory, here its root.
struct FakeList : DirList, DriveList {
  FakeList(const FakeFolders& all, std::string start) : folders(all), current(std::move(start)) {}
  std::string path() const override { return current; }
  std::string drive() const override { return current; }
  void setPath(const std::string& path) override {
    const std::string full = withoutFinalSeparator(path.size() == 2 ? path + "\\" : path);
    if (!folders.count(full)) throw Failure(ErrorCode::kPathNotFound, path);
    moveTo(full);
  }
  void setDrive(const std::string& drive) override { moveTo(drive); }
  void setChange(std::function<void()> handler) override { change = std::move(handler); }
  void moveTo(const std::string& to) {
    if (to == current) return;
    current = to;
    if (change) change();
  }
  const FakeFolders& folders;
  std::string current;
  std::function<void()> change;
};

// Names match without regard to letter case, as the registry's do.
struct FakeSettingsStore : SettingsStore {
  std::string read(const std::string& application, const std::string& section,
                   const std::string& key, const std::string& defaultValue) override {
    auto found = values.find(lower(application + "/" + section + "/" + key));
    return found == values.end() ? defaultValue : found->second;
  }
  void write(const std::string& application, const std::string& section, const std::string& key,
             const std::string& value) override {
    writes.push_back(application + "/" + section + "/" + key + "=" + value);
    values[lower(application + "/" + section + "/" + key)] = value;
  }
  std::vector<std::string> writes;  // "application/section/key=value", in the case written
  std::map<std::string, std::string> values;  // by lower-cased "application/section/key"
};

struct FakePictureLoader : PictureLoader {
  struct FakePicture : Picture {
    FakePicture(int32_t width, int32_t height) : w(width), h(height) {}
    int32_t widthHimetric() const override { return w; }
    int32_t heightHimetric() const override { return h; }
    int32_t w, h;
  };
  PictureRef load(const std::string& path, const DrawnSize& drawnSize = {}) override {
    loads.push_back(path);
    if (failures.count(path)) throw Failure(failures.at(path), path);
    if (!pictures.count(path)) throw Failure(ErrorCode::kFileNotFound, path);
    const auto [width, height] = pictures.at(path);
    if (drawnSize)
      drawnSizes.push_back(drawnSize({himetricToTwips(width), himetricToTwips(height)}));
    return std::make_shared<FakePicture>(width, height);
  }
  void prepare(const std::string& path, const DrawnSize& drawnSize) override {
    prepared.push_back(path);
    preparedSizes.push_back(drawnSize);
  }
  // Pictures by full path, sizes in HIMETRIC; a path mapped to a failure code fails with it.
  std::map<std::string, std::pair<int32_t, int32_t>> pictures;
  std::map<std::string, ErrorCode> failures;
  std::vector<std::string> loads;
  std::vector<Extent> drawnSizes;     // what each successful load was told it will be drawn at
  std::vector<std::string> prepared;  // what the logic asked to have ready, in order
  std::vector<DrawnSize> preparedSizes;
};

// The executable's sound resources and the platform's sound call.
struct FakeSound : ResourceReader, SoundOutput {
  std::vector<uint8_t> read(const char* type, int16_t id) override {
    if (std::string(type) != "ATM_SOUND" || !resources.count(id))
      throw Failure(ErrorCode::kResourceNotFound);
    return resources.at(id);
  }
  bool play(const uint8_t* image, uint32_t flags) override {
    if (bindingFails) throw Failure(ErrorCode::kCannotBindCall, "sndPlaySoundA");
    requests.push_back({image, flags});
    return !refuses;
  }
  std::map<int16_t, std::vector<uint8_t>> resources;  // "ATM_SOUND" resources by id
  bool bindingFails = false, refuses = false;
  std::vector<std::pair<const uint8_t*, uint32_t>> requests;  // image, flags
};

// What tests drive or inspect beyond what the program exposes stays reachable here.
class FakeToolkit : public Toolkit {
 public:
  Application& app() override { return application; }
  Screen& screen() override { return application; }
  SettingsStore& settings() override { return store; }
  PictureLoader& pictures() override { return loader; }
  ResourceReader& resources() override { return sounds; }
  SoundOutput& sound() override { return sounds; }
  std::unique_ptr<Window> createShowWindow() override { return kept(lastWindow, application); }
  std::unique_ptr<Timer> createTimer(Window&) override {
    return std::make_unique<TimerRule>(application);
  }
  std::unique_ptr<Label> createLabel(Window&, const LabelStyle& style) override {
    return std::make_unique<FakeLabel>(style);
  }
  std::unique_ptr<FileList> createFileList(const std::string& pattern) override {
    return std::make_unique<FakeFileList>(folders, pattern);
  }
  std::unique_ptr<Dialog> createDialog(const std::string&, float, float) override {
    return kept(lastDialog, application);
  }
  void addFrame(Dialog&, const std::string&, const Place&) override {}
  void addLabel(Dialog&, const std::string&, const Place&) override {}
  std::unique_ptr<Button> createButton(Dialog&, const std::string&, const Place&,
                                       int index) override {
    return kept(buttons.emplace_back(), index);
  }
  std::unique_ptr<DriveList> createDriveList(Dialog&, const Place&) override {
    return std::make_unique<FakeList>(folders, "c:");
  }
  std::unique_ptr<DirList> createDirList(Dialog&, const Place&) override {
    return std::make_unique<FakeList>(folders, "C:\\Saver");
  }
  std::unique_ptr<FileList> createFileListBox(Dialog&, const std::string& pattern,
                                              const Place&) override {
    std::unique_ptr<FileList> list = createFileList(pattern);
    list->setPath("C:\\Saver");
    return list;
  }
  std::unique_ptr<TextBox> createTextBox(Dialog&, const TextBoxStyle& style) override {
    return std::make_unique<FakeField>(style.text);
  }
  std::unique_ptr<CheckBox> createCheckBox(Dialog&, const std::string&, const Place&) override {
    return std::make_unique<FakeField>();
  }

  FakeApplication application;
  FakeSettingsStore store;
  FakePictureLoader loader;
  FakeSound sounds;
  // The executable's own folder, which is also the current directory, exists.
  FakeFolders folders{{"C:\\Saver", {}}};

  FakeWindow* lastWindow = nullptr;
  FakeShowable<Dialog, DialogEvents>* lastDialog = nullptr;
  std::vector<FakeButton*> buttons;  // Command1, Command2

 private:
  template <class T, class... Args>
  static std::unique_ptr<T> kept(T*& last, Args&&... args) {
    auto made = std::make_unique<T>(std::forward<Args>(args)...);
    last = made.get();
    return made;
  }
};

}  // namespace qm

#include "tests/fake/fake_toolkit.h"

#include <algorithm>
#include <cctype>

#include "toolkit/failure.h"
#include "toolkit/file_names.h"

namespace qm::fake {

namespace {
std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}
bool isDriveRoot(const std::string& path) { return path.size() == 3 && path[1] == ':'; }

std::string withoutFinalSeparator(std::string path) {
  while (path.size() > 1 && path.back() == '\\' && !isDriveRoot(path)) path.pop_back();
  return path;
}
}  // namespace

void FakeApplication::doEvents() {
  ++doEventsCalls;
  // Only what is pending now; events posted by these run at the next yield.
  std::deque<std::function<void()>> now;
  now.swap(pending);
  for (auto& event : now) dispatchEvent(*this, event);
}

void FakeApplication::end() {
  ended = true;
  throw ProgramEnded{};
}

int32_t FakeApplication::showCursor(bool show) {
  cursorCounter += show ? 1 : -1;
  return cursorCounter;
}

void FakeApplication::messageBox(const std::string& text, int style, const std::string& title) {
  messageBoxes.push_back({text, style, title});
}

void FakeWindow::show() {
  visible = true;
  ++shows;
  ++showsOfAllWindows_;
  activateBySystem();
}

void FakeWindow::unload() {
  unloaded = true;
  visible = false;
  if (events_.unload) events_.unload();
}

void FakeWindow::drawPicture(const Picture& picture, float x, float y, float w, float h) {
  drawn.push_back({&picture, x, y, w, h});
}

void FakeWindow::pressKey(int character) {
  if (events_.keyPress) dispatchEvent(app_, [&] { events_.keyPress(character); });
}

void FakeWindow::moveMouse() { dispatchEvent(app_, events_.mouseMove); }

void FakeWindow::activateBySystem() { dispatchEvent(app_, events_.activate); }

void FakeTimer::setInterval(int32_t milliseconds) {
  if (milliseconds < 0) throw Failure(ErrorCode::kInvalidPropertyValue);
  interval_ = milliseconds;
}

bool FakeTimer::fire() {
  if (!enabled_ || interval_ == 0 || ticking_ || !tick_) return false;
  ticking_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{ticking_};
  dispatchEvent(app_, tick_);
  return true;
}

void FakeFileList::setPath(const std::string& path) {
  auto folder = folders_.find(withoutFinalSeparator(path));
  if (folder == folders_.end()) throw Failure(ErrorCode::kPathNotFound, path);
  std::vector<std::string> names;
  for (const FakeEntry& entry : folder->second) {
    if (!entry.directory && !entry.hidden && matchesPattern(entry.name, pattern_))
      names.push_back(entry.name);
  }
  orderForList(names);
  path_ = withoutFinalSeparator(path);
  names_ = std::move(names);
}

std::string FakeFileList::list(int16_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= names_.size()) return std::string();
  return names_[static_cast<size_t>(index)];
}

std::string FakeSettingsStore::read(const std::string& application, const std::string& section,
                                    const std::string& key, const std::string& defaultValue) {
  ++reads;
  auto found = values_.find(lower(application + "/" + section + "/" + key));
  return found == values_.end() ? defaultValue : found->second;
}

void FakeSettingsStore::write(const std::string& application, const std::string& section,
                              const std::string& key, const std::string& value) {
  writes.push_back(application + "/" + section + "/" + key + "=" + value);
  values_[lower(application + "/" + section + "/" + key)] = value;
}

PictureRef FakePictureLoader::load(const std::string& path, const DrawnSize& drawnSize) {
  loads.push_back(path);
  auto failure = failures.find(path);
  if (failure != failures.end()) throw Failure(failure->second, path);
  auto found = pictures.find(path);
  if (found == pictures.end()) throw Failure(ErrorCode::kFileNotFound, path);
  const auto [width, height] = found->second;
  if (drawnSize)
    drawnSizes.push_back(drawnSize({width * 1440.0f / 2540.0f, height * 1440.0f / 2540.0f}));
  return std::make_shared<FakePicture>(width, height);
}

std::vector<uint8_t> FakeResourceReader::read(const char* type, int16_t id) {
  auto found = sounds.find(id);
  if (std::string(type) != "ATM_SOUND" || found == sounds.end())
    throw Failure(ErrorCode::kResourceNotFound);
  return found->second;
}

bool FakeSoundOutput::play(const uint8_t* image, uint32_t flags) {
  if (bindingFails) throw Failure(ErrorCode::kCannotBindCall, "sndPlaySoundA");
  requests.push_back({image, flags});
  return !refuses;
}

std::unique_ptr<Window> FakeToolkit::createShowWindow() {
  auto window = std::make_unique<FakeWindow>(application, display, windowShows);
  lastWindow = window.get();
  return window;
}

std::unique_ptr<Timer> FakeToolkit::createTimer(Window& /*owner*/) {
  auto timer = std::make_unique<FakeTimer>(application);
  timers.push_back(timer.get());
  return timer;
}

std::unique_ptr<Label> FakeToolkit::createLabel(Window& /*owner*/, const LabelStyle& style) {
  auto label = std::make_unique<FakeLabel>(style);
  labels.push_back(label.get());
  return label;
}

std::unique_ptr<FileList> FakeToolkit::createFileList(const std::string& pattern) {
  auto list = std::make_unique<FakeFileList>(folders, pattern);
  fileLists.push_back(list.get());
  return list;
}

void FakeDialog::show() {
  visible = true;
  activateBySystem();
}

void FakeDialog::unload() {
  visible = false;
  unloaded = true;  // before the handler, which may end the program
  if (events_.unload) events_.unload();
}

void FakeDirList::setPath(const std::string& path) {
  std::string full = path;
  if (full.size() == 2 && full[1] == ':') {
    auto current = driveDirectories_.find(lower(full));
    if (current == driveDirectories_.end()) throw Failure(ErrorCode::kDeviceUnavailable, path);
    full = current->second;
  }
  full = withoutFinalSeparator(full);
  if (folders_.find(full) == folders_.end()) throw Failure(ErrorCode::kPathNotFound, path);
  if (full == path_) return;
  path_ = full;
  if (change_) change_();
}

void FakeDriveList::setDrive(const std::string& drive) {
  if (drive == drive_) return;
  drive_ = drive;
  if (change_) change_();
}

std::unique_ptr<Dialog> FakeToolkit::createDialog(const std::string& caption, float, float) {
  auto dialog = std::make_unique<FakeDialog>(application, caption);
  lastDialog = dialog.get();
  return dialog;
}

void FakeToolkit::addFrame(Dialog&, const std::string& caption, const Place&) {
  lastDialog->controls.push_back(caption);
}

void FakeToolkit::addLabel(Dialog&, const std::string& caption, const Place&) {
  lastDialog->controls.push_back(caption);
}

std::unique_ptr<Button> FakeToolkit::createButton(Dialog&, const std::string& caption,
                                                  const Place&, int index) {
  lastDialog->controls.push_back(caption);
  auto button = std::make_unique<FakeButton>(application, index);
  buttons.push_back(button.get());
  return button;
}

std::unique_ptr<DriveList> FakeToolkit::createDriveList(Dialog&, const Place&) {
  auto list = std::make_unique<FakeDriveList>(application, lower(currentDirectory.substr(0, 2)));
  driveList = list.get();
  return list;
}

std::unique_ptr<DirList> FakeToolkit::createDirList(Dialog&, const Place&) {
  auto list = std::make_unique<FakeDirList>(application, folders, driveDirectories,
                                            currentDirectory);
  dirList = list.get();
  return list;
}

std::unique_ptr<FileList> FakeToolkit::createFileListBox(Dialog&, const std::string& pattern,
                                                         const Place&) {
  std::unique_ptr<FileList> list = createFileList(pattern);
  list->setPath(currentDirectory);
  return list;
}

std::unique_ptr<TextBox> FakeToolkit::createTextBox(Dialog&, const TextBoxStyle& style) {
  auto box = std::make_unique<FakeTextBox>(style);
  textBoxes.push_back(box.get());
  return box;
}

std::unique_ptr<CheckBox> FakeToolkit::createCheckBox(Dialog&, const std::string& caption,
                                                      const Place&) {
  lastDialog->controls.push_back(caption);
  auto box = std::make_unique<FakeCheckBox>();
  checkBox = box.get();
  return box;
}

}  // namespace qm::fake

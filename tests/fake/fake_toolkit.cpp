#include "tests/fake/fake_toolkit.h"

#include <cctype>

namespace qm::fake {

namespace {
std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
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

void FakeWindow::show() {
  visible = true;
  activateBySystem();
}

void FakeWindow::unload() {
  unloaded = true;
  visible = false;
  if (events_.unload) events_.unload();
}

void FakeWindow::pressKey(int character) {
  if (events_.keyPress) dispatchEvent(app_, [&] { events_.keyPress(character); });
}

bool FakeFileList::readFolder(const std::string& folder, std::vector<std::string>& names) const {
  auto found = folders_.find(folder);
  if (found == folders_.end()) return false;
  names = found->second;
  return true;
}

void FakeDialog::show() {
  visible = true;
  dispatchEvent(app_, events_.activate);
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

std::string FakeSettingsStore::read(const std::string& application, const std::string& section,
                                    const std::string& key, const std::string& defaultValue) {
  auto found = values_.find(lower(application + "/" + section + "/" + key));
  return found == values_.end() ? defaultValue : found->second;
}

void FakeSettingsStore::write(const std::string& application, const std::string& section,
                              const std::string& key, const std::string& value) {
  writes.push_back(application + "/" + section + "/" + key + "=" + value);
  values_[lower(application + "/" + section + "/" + key)] = value;
}

PictureRef FakePictureLoader::load(const std::string& path, const DrawnSize& drawnSize) {
  struct FakePicture : Picture {
    FakePicture(int32_t width, int32_t height) : w(width), h(height) {}
    int32_t widthHimetric() const override { return w; }
    int32_t heightHimetric() const override { return h; }
    int32_t w, h;
  };
  loads.push_back(path);
  auto failure = failures.find(path);
  if (failure != failures.end()) throw Failure(failure->second, path);
  auto found = pictures.find(path);
  if (found == pictures.end()) throw Failure(ErrorCode::kFileNotFound, path);
  const auto [width, height] = found->second;
  if (drawnSize)
    drawnSizes.push_back(drawnSize(
        {himetricToTwips(static_cast<float>(width)), himetricToTwips(static_cast<float>(height))}));
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
  auto window = std::make_unique<FakeWindow>(application, display);
  lastWindow = window.get();
  return window;
}

std::unique_ptr<Timer> FakeToolkit::createTimer(Window&) {
  auto timer = std::make_unique<TimerRule>(application);
  timers.push_back(timer.get());
  return timer;
}

std::unique_ptr<Label> FakeToolkit::createLabel(Window&, const LabelStyle& style) {
  auto label = std::make_unique<FakeLabel>(style);
  labels.push_back(label.get());
  return label;
}

std::unique_ptr<FileList> FakeToolkit::createFileList(const std::string& pattern) {
  return std::make_unique<FakeFileList>(folders, pattern);
}

std::unique_ptr<Dialog> FakeToolkit::createDialog(const std::string&, float, float) {
  auto dialog = std::make_unique<FakeDialog>(application);
  lastDialog = dialog.get();
  return dialog;
}

std::unique_ptr<Button> FakeToolkit::createButton(Dialog&, const std::string&, const Place&,
                                                  int index) {
  auto button = std::make_unique<FakeButton>(application, index);
  buttons.push_back(button.get());
  return button;
}

std::unique_ptr<DriveList> FakeToolkit::createDriveList(Dialog&, const Place&) {
  auto list = std::make_unique<FakeDriveList>(application, "c:");
  driveList = list.get();
  return list;
}

std::unique_ptr<DirList> FakeToolkit::createDirList(Dialog&, const Place&) {
  auto list = std::make_unique<FakeDirList>(application, folders, driveDirectories, "C:\\Saver");
  dirList = list.get();
  return list;
}

std::unique_ptr<FileList> FakeToolkit::createFileListBox(Dialog&, const std::string& pattern,
                                                         const Place&) {
  std::unique_ptr<FileList> list = createFileList(pattern);
  list->setPath("C:\\Saver");
  return list;
}

std::unique_ptr<TextBox> FakeToolkit::createTextBox(Dialog&, const TextBoxStyle& style) {
  auto box = std::make_unique<FakeTextBox>(style.text);
  textBoxes.push_back(box.get());
  return box;
}

std::unique_ptr<CheckBox> FakeToolkit::createCheckBox(Dialog&, const std::string&, const Place&) {
  auto box = std::make_unique<FakeCheckBox>();
  checkBox = box.get();
  return box;
}

}  // namespace qm::fake

#include "tests/fake/fake_toolkit.h"

#include <cctype>

namespace qm::fake {

namespace {
std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}
}  // namespace

void FakeDirList::setPath(const std::string& path) {
  std::string full = path;
  if (full.size() == 2 && full[1] == ':') full = drives.at(lower(full));
  full = withoutFinalSeparator(full);
  if (folders.find(full) == folders.end()) throw Failure(ErrorCode::kPathNotFound, path);
  if (full == current) return;
  current = full;
  if (change) change();
}

std::string FakeSettingsStore::read(const std::string& application, const std::string& section,
                                    const std::string& key, const std::string& defaultValue) {
  auto found = values.find(lower(application + "/" + section + "/" + key));
  return found == values.end() ? defaultValue : found->second;
}

void FakeSettingsStore::write(const std::string& application, const std::string& section,
                              const std::string& key, const std::string& value) {
  writes.push_back(application + "/" + section + "/" + key + "=" + value);
  values[lower(application + "/" + section + "/" + key)] = value;
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

}  // namespace qm::fake

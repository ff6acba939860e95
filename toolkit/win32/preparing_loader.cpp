#include "toolkit/win32/preparing_loader.h"

#include <objbase.h>
#include <windows.h>

#include "toolkit/win32/picture.h"
#include "toolkit/win32/text.h"

namespace qm::win32 {

namespace {

// The worker's loader: COM for the worker's thread, and a WIC factory made on it. Made and
// destroyed on the worker thread.
class WorkerLoader : public PictureLoader {
 public:
  WorkerLoader()
      : com_(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)),
        loader_(std::make_unique<WicPictureLoader>()) {}
  ~WorkerLoader() override {
    loader_.reset();
    if (SUCCEEDED(com_)) ::CoUninitialize();
  }
  WorkerLoader(const WorkerLoader&) = delete;
  WorkerLoader& operator=(const WorkerLoader&) = delete;
  PictureRef load(const std::string& path, const DrawnSize& drawnSize) override {
    return loader_->load(path, drawnSize);
  }

 private:
  HRESULT com_;
  std::unique_ptr<WicPictureLoader> loader_;
};

std::optional<FileIdentity> identityOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  FileIdentity identity;
  identity.size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  identity.lastWrite =
      (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
  return identity;
}

}  // namespace

PreparingLoader::Platform wicPreparingPlatform() {
  PreparingLoader::Platform platform;
  platform.workerLoader = [] { return std::make_unique<WorkerLoader>(); };
  platform.identity = identityOf;
  return platform;
}

}  // namespace qm::win32

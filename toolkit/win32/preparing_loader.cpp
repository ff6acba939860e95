#include "toolkit/win32/preparing_loader.h"

#include <objbase.h>
#include <windows.h>

#include "toolkit/failure.h"
#include "toolkit/win32/picture.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/unique_handle.h"

namespace qm::win32 {

namespace {

// The worker's loader: COM for the worker's thread, and a WIC factory made on it. Made and
// destroyed on the worker thread. Without either it refuses to exist, and the show's own thread
// loads every picture as it did before there was a worker.
class WorkerLoader : public PictureLoader {
 public:
  WorkerLoader() {
    if (FAILED(apartment_.result)) throw Failure(ErrorCode::kPlatformError, "COM on the worker");
    if (!loader_.hasFactory()) throw Failure(ErrorCode::kPlatformError, "WIC on the worker");
  }
  PictureRef load(const std::string& path, const DrawnSize& drawnSize) override {
    return loader_.load(path, drawnSize);
  }

 private:
  struct Apartment {
    HRESULT result = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    Apartment() = default;
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;
    ~Apartment() {
      if (SUCCEEDED(result)) ::CoUninitialize();
    }
  };
  Apartment apartment_;  // before the loader, which it outlives
  WicPictureLoader loader_;
};

uint64_t joined(DWORD high, DWORD low) { return uint64_t{high} << 32 | low; }

// Read through a handle that asks for attributes only and shares everything, so that it never
// stands in a writer's way.
std::optional<FileIdentity> identityOf(const std::string& path) {
  UniqueFileHandle file(::CreateFileW(widen(path).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!file || !::GetFileInformationByHandle(file.get(), &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  FileIdentity identity;
  identity.size = joined(info.nFileSizeHigh, info.nFileSizeLow);
  identity.lastWrite =
      joined(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
  identity.volume = info.dwVolumeSerialNumber;
  identity.index = joined(info.nFileIndexHigh, info.nFileIndexLow);
  // FAT keeps no change time: it stays zero there, and nothing of such a file is prepared.
  FILE_BASIC_INFO basic;
  if (::GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic))
    identity.changed = static_cast<uint64_t>(basic.ChangeTime.QuadPart);
  return identity;
}

}  // namespace

PreparingLoader::Platform wicPreparingPlatform(std::function<void()> pump) {
  PreparingLoader::Platform platform;
  platform.workerLoader = [] { return std::make_unique<WorkerLoader>(); };
  platform.identity = identityOf;
  platform.pump = std::move(pump);
  return platform;
}

}  // namespace qm::win32

#pragma once
// A picture loader that gets the next picture ready while the show waits: prepare() hands the
// file to a worker thread that decodes it, to the size it will be drawn at, with a loader of its
// own; load() takes that picture when it is still the same file, and has the worker load it
// afresh otherwise, running the caller's input and paints while it waits.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "toolkit/picture.h"

namespace qm {

// What tells one version of a file from another at the same path. Size and last-write time
// alone do not: copy tools keep the time, and many pictures share a size.
struct FileIdentity {
  uint64_t size = 0;
  uint64_t lastWrite = 0;
  // What the file system changes on every write and no copy tool sets: the change time, and the
  // file's volume and index (a file replaced by another has another index). Zero when unknown.
  uint64_t changed = 0;
  uint64_t volume = 0;
  uint64_t index = 0;
  // Only a file system that tells both can vouch that a prepared picture is the file's.
  bool vouches() const { return changed != 0 && index != 0; }
  bool operator==(const FileIdentity& other) const {
    return size == other.size && lastWrite == other.lastWrite && changed == other.changed &&
           volume == other.volume && index == other.index;
  }
  bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

class PreparingLoader : public PictureLoader {
 public:
  struct Platform {
    // Runs on the worker thread before its first decode; the loader it returns is made, used
    // and destroyed on that thread alone.
    std::function<std::unique_ptr<PictureLoader>()> workerLoader;
    // The identity of the file at a full path now; nothing when there is no such file (or a
    // folder is there). Called on both threads.
    std::function<std::optional<FileIdentity>(const std::string&)> identity;
    // Called on load's thread every few milliseconds while it waits for the worker: runs the
    // input and paints pending there. Without it load just waits.
    std::function<void()> pump;
  };

  // direct loads on the caller's thread whatever is not ready.
  PreparingLoader(PictureLoader& direct, Platform platform);
  // Never waits for the worker: it finishes its decode (or the process ends) on its own.
  ~PreparingLoader() override;
  PreparingLoader(const PreparingLoader&) = delete;
  PreparingLoader& operator=(const PreparingLoader&) = delete;

  // The prepared picture when it is of this path, the file's identity has not changed since it
  // was decoded, and drawnSize gives the size it was decoded for; waits for the worker when it
  // is decoding this very file. Otherwise the worker loads it now, with all the failures of a
  // load, while this thread waits pumping; direct loads it when there is no worker.
  PictureRef load(const std::string& path, const DrawnSize& drawnSize = {}) override;
  // Replaces what the worker was to do next, and the picture it had ready. Never fails.
  void prepare(const std::string& path, const DrawnSize& drawnSize) override;

  // Blocks until the worker has nothing left to do. For tests and the benchmark.
  void waitUntilIdle();

 private:
  struct Shared;
  PictureLoader& direct_;
  std::shared_ptr<Shared> shared_;
};

}  // namespace qm

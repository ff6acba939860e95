#include "toolkit/preparing_loader.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace qm {

namespace {

struct Job {
  std::string path;
  DrawnSize drawnSize;
};

// A picture the worker decoded, with what it was decoded from and for.
struct Ready {
  std::string path;
  FileIdentity identity;
  bool sized = false;  // decoded for a drawn size rather than at its natural size
  Extent natural, drawn;
  PictureRef picture;
};

bool sameDrawnSize(const Ready& ready, const DrawnSize& drawnSize) {
  if (!drawnSize || !ready.sized) return !drawnSize && !ready.sized;
  const Extent drawn = drawnSize(ready.natural);
  return drawn.width == ready.drawn.width && drawn.height == ready.drawn.height;
}

}  // namespace

// Everything the worker shares with the loader, kept alive by whichever of them goes last.
struct PreparingLoader::Shared {
  explicit Shared(Platform from) : platform(std::move(from)) {}

  bool stillValid(const Ready& picture, const DrawnSize& drawnSize) const {
    return platform.identity(picture.path) == picture.identity && sameDrawnSize(picture, drawnSize);
  }

  // The worker's decode: nothing when the file cannot be identified, fails to load, or changes
  // while it is read.
  std::optional<Ready> decode(PictureLoader& loader, const Job& job) const {
    const std::optional<FileIdentity> before = platform.identity(job.path);
    if (!before) return std::nullopt;
    Ready made{job.path, *before, static_cast<bool>(job.drawnSize), {}, {}, nullptr};
    bool asked = false;
    DrawnSize recording;
    if (job.drawnSize) {
      recording = [&](Extent natural) {
        asked = true;
        made.natural = natural;
        made.drawn = job.drawnSize(natural);
        return made.drawn;
      };
    }
    try {
      made.picture = loader.load(job.path, recording);
    } catch (...) {
      return std::nullopt;  // the step's own load meets the same failure and reports it
    }
    if (!made.picture || made.sized != asked || platform.identity(job.path) != before)
      return std::nullopt;
    return made;
  }

  void work() {
    std::unique_ptr<PictureLoader> loader;
    try {
      loader = platform.workerLoader();
    } catch (...) {
    }
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
      changed.wait(lock, [this] { return stopping || pending.has_value(); });
      if (stopping) break;
      const Job job = std::move(*pending);
      pending.reset();
      decoding = job.path;
      lock.unlock();
      std::optional<Ready> made = loader ? decode(*loader, job) : std::nullopt;
      lock.lock();
      decoding.reset();
      // A newer request makes this picture useless: it is not kept.
      if (made && !stopping && !pending) ready = std::move(made);
      changed.notify_all();
    }
    lock.unlock();
    loader.reset();  // released on the thread that made it
  }

  const Platform platform;
  std::mutex mutex;
  std::condition_variable changed;
  std::optional<Job> pending;
  std::optional<std::string> decoding;  // the path the worker is decoding now
  std::optional<Ready> ready;
  bool started = false;
  bool noWorker = false;
  bool stopping = false;
};

PreparingLoader::PreparingLoader(PictureLoader& direct, Platform platform)
    : direct_(direct), shared_(std::make_shared<Shared>(std::move(platform))) {}

PreparingLoader::~PreparingLoader() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->stopping = true;
  shared_->pending.reset();
  shared_->ready.reset();
  shared_->changed.notify_all();
}

PictureRef PreparingLoader::load(const std::string& path, const DrawnSize& drawnSize) {
  std::optional<Ready> candidate;
  {
    std::unique_lock<std::mutex> lock(shared_->mutex);
    // The worker decoding this very file finishes no later than a decode started here would.
    shared_->changed.wait(lock, [&] { return shared_->decoding != path; });
    if (shared_->pending && shared_->pending->path == path) shared_->pending.reset();
    if (shared_->ready && shared_->ready->path == path) candidate = shared_->ready;
  }
  // Checked on this thread, now: a file replaced or a screen changed since is loaded afresh, and
  // a file or folder gone fails in the direct load exactly as it always did.
  if (candidate && shared_->stillValid(*candidate, drawnSize)) return candidate->picture;
  return direct_.load(path, drawnSize);
}

void PreparingLoader::prepare(const std::string& path, const DrawnSize& drawnSize) {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  if (shared_->noWorker || shared_->decoding == path) return;
  // A folder of one picture asks for the same file every time: what is ready stays ready.
  if (shared_->ready && shared_->ready->path == path &&
      shared_->stillValid(*shared_->ready, drawnSize))
    return;
  shared_->ready.reset();
  shared_->pending = Job{path, drawnSize};
  if (!shared_->started) {
    try {
      std::thread([shared = shared_] { shared->work(); }).detach();
      shared_->started = true;
    } catch (...) {  // no thread to be had: every picture is loaded when it is asked for
      shared_->noWorker = true;
      shared_->pending.reset();
      return;
    }
  }
  shared_->changed.notify_all();
}

void PreparingLoader::waitUntilIdle() {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  shared_->changed.wait(
      lock, [this] { return !shared_->started || (!shared_->pending && !shared_->decoding); });
}

}  // namespace qm

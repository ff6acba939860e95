#include "toolkit/preparing_loader.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <thread>

namespace qm {

namespace {

struct Job {
  std::string path;
  DrawnSize drawnSize;
  uint64_t ticket = 0;  // non-zero: a load waits for this one's outcome
};

// A picture the worker decoded, with what it was decoded from and for.
struct Ready {
  std::string path;
  FileIdentity identity;
  bool sized = false;  // decoded for a drawn size rather than at its natural size
  Extent natural, drawn;
  PictureRef picture;
};

// What a load the caller waits for came to: a picture, or the failure to hand on.
struct Outcome {
  uint64_t ticket = 0;
  PictureRef picture;
  std::exception_ptr failure;
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
    return picture.identity.vouches() && platform.identity(picture.path) == picture.identity &&
           sameDrawnSize(picture, drawnSize);
  }

  // The failure of an earlier decode of this very version of the file, if any.
  std::exception_ptr knownFailure(const std::string& path,
                                  const std::optional<FileIdentity>& identity) const {
    const auto found = failed.find(path);
    return found != failed.end() && identity && identity->vouches() &&
                   found->second.first == *identity
               ? found->second.second
               : nullptr;
  }

  // Kept while the file stays as it was when the decode began.
  void remember(const std::string& path, const std::optional<FileIdentity>& before,
                std::exception_ptr failure) {
    if (before && before->vouches() && platform.identity(path) == before)
      failed[path] = {*before, std::move(failure)};
  }

  // A load the caller waits for: the failure of an unchanged file comes without a decoder.
  void loadNow(PictureLoader& loader, const Job& job, Outcome& outcome) {
    const std::optional<FileIdentity> before = platform.identity(job.path);
    outcome.failure = knownFailure(job.path, before);
    if (outcome.failure) return;
    try {
      outcome.picture = loader.load(job.path, job.drawnSize);
    } catch (...) {
      outcome.failure = std::current_exception();
      remember(job.path, before, outcome.failure);
    }
  }

  // The worker's decode ahead: nothing when the file cannot be vouched for, fails to load, or
  // changes while it is read.
  std::optional<Ready> decode(PictureLoader& loader, const Job& job) {
    const std::optional<FileIdentity> before = platform.identity(job.path);
    if (!before || !before->vouches() || knownFailure(job.path, before)) return std::nullopt;
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
      // The step's own load meets the same failure and reports it.
      remember(job.path, before, std::current_exception());
      return std::nullopt;
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
    if (!loader) {  // every picture goes to the direct loader from now on
      noWorker = true;
      pending.reset();
      changed.notify_all();
      return;
    }
    while (!stopping) {
      changed.wait(lock, [this] { return stopping || pending.has_value(); });
      if (stopping) break;
      const Job job = std::move(*pending);
      pending.reset();
      decoding = job.path;
      lock.unlock();
      std::optional<Ready> made;
      Outcome outcome{job.ticket, nullptr, nullptr};
      if (job.ticket) {
        loadNow(*loader, job, outcome);
      } else {
        made = decode(*loader, job);
      }
      lock.lock();
      decoding.reset();
      if (job.ticket) answer = std::move(outcome);
      // A newer request makes this picture useless: it is not kept.
      if (made && !stopping && !pending) ready = std::move(made);
      changed.notify_all();
    }
    lock.unlock();
    loader.reset();  // released on the thread that made it
  }

  // Waits until done() holds, running the caller's events every few milliseconds meanwhile.
  template <typename Done>
  void waitPumping(std::unique_lock<std::mutex>& lock, Done done) {
    while (!done()) {
      if (!platform.pump) {
        changed.wait(lock, done);
        return;
      }
      if (changed.wait_for(lock, std::chrono::milliseconds(10), done)) return;
      lock.unlock();
      platform.pump();
      lock.lock();
    }
  }

  bool startWorker() {
    if (started) return true;
    if (noWorker) return false;
    try {
      std::thread([shared = this->self.lock()] { shared->work(); }).detach();
      started = true;
    } catch (...) {  // no thread to be had: every picture is loaded when it is asked for
      noWorker = true;
    }
    return started;
  }

  const Platform platform;
  // Decodes that failed, with the version of the file they failed on: one that has not changed
  // fails again without a decoder (Wine's GIF decoder keeps what it held when it fails). Only the
  // worker touches it.
  std::map<std::string, std::pair<FileIdentity, std::exception_ptr>> failed;
  std::weak_ptr<Shared> self;
  std::mutex mutex;
  std::condition_variable changed;
  std::optional<Job> pending;
  std::optional<std::string> decoding;  // the path the worker is decoding now
  std::optional<Ready> ready;
  uint64_t tickets = 0;  // loads handed to the worker so far
  Outcome answer;        // of the latest of them
  bool started = false;
  bool noWorker = false;
  bool stopping = false;
};

PreparingLoader::PreparingLoader(PictureLoader& direct, Platform platform)
    : direct_(direct), shared_(std::make_shared<Shared>(std::move(platform))) {
  shared_->self = shared_;
}

PreparingLoader::~PreparingLoader() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->stopping = true;
  shared_->pending.reset();
  shared_->ready.reset();
  shared_->changed.notify_all();
}

PictureRef PreparingLoader::load(const std::string& path, const DrawnSize& drawnSize) {
  Shared& shared = *shared_;
  std::optional<Ready> candidate;
  std::unique_lock<std::mutex> lock(shared.mutex);
  // The worker decoding this very file finishes no later than a decode started here would.
  shared.waitPumping(lock, [&] { return shared.decoding != path; });
  if (shared.pending && shared.pending->path == path) shared.pending.reset();
  if (shared.ready && shared.ready->path == path) candidate = shared.ready;
  lock.unlock();
  // Checked on this thread, now: a file replaced or a screen changed since is loaded afresh, and
  // a file or folder gone fails in that load exactly as it always did.
  if (candidate && shared.stillValid(*candidate, drawnSize)) return candidate->picture;

  lock.lock();
  const uint64_t ticket = shared.startWorker() ? ++shared.tickets : 0;
  if (ticket) {
    shared.pending = Job{path, drawnSize, ticket};
    shared.changed.notify_all();
    shared.waitPumping(lock, [&] { return shared.answer.ticket == ticket || shared.noWorker; });
  }
  if (!ticket || shared.answer.ticket != ticket) {  // no worker, or it could not make its loader
    shared.pending.reset();
    lock.unlock();
    return direct_.load(path, drawnSize);
  }
  Outcome outcome = std::move(shared.answer);
  lock.unlock();
  if (outcome.failure) std::rethrow_exception(outcome.failure);
  return outcome.picture;
}

void PreparingLoader::prepare(const std::string& path, const DrawnSize& drawnSize) {
  Shared& shared = *shared_;
  std::lock_guard<std::mutex> lock(shared.mutex);
  // A load waiting for its picture keeps the worker.
  if (shared.noWorker || shared.decoding == path || (shared.pending && shared.pending->ticket))
    return;
  // A folder of one picture asks for the same file every time: what is ready stays ready.
  if (shared.ready && shared.ready->path == path && shared.stillValid(*shared.ready, drawnSize))
    return;
  if (!shared.startWorker()) return;
  shared.ready.reset();
  shared.pending = Job{path, drawnSize, 0};
  shared.changed.notify_all();
}

void PreparingLoader::waitUntilIdle() {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  shared_->changed.wait(
      lock, [this] { return !shared_->started || (!shared_->pending && !shared_->decoding); });
}

}  // namespace qm

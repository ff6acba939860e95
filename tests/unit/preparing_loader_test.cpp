// The loader that decodes ahead: what it hands back, when it loads afresh, and who waits.
#include "toolkit/preparing_loader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>

#include "tests/fake/fake_toolkit.h"

namespace qm {
namespace {

using namespace std::chrono_literals;

const std::string kA = "C:\\p\\a.jpg", kB = "C:\\p\\b.jpg", kBad = "C:\\p\\bad.jpg";

// The files both threads see: a path without an identity is not found, kBad is no picture.
// The worker's loads wait at the gate while the test holds it.
struct Files {
  std::optional<FileIdentity> identity(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex);
    auto found = identities.find(path);
    return found == identities.end() ? std::nullopt : std::optional(found->second);
  }
  std::mutex mutex, gate;
  std::map<std::string, FileIdentity> identities{
      {kA, {100, 1, 1, 1, 1}}, {kB, {200, 2, 2, 1, 2}}, {kBad, {3, 3, 3, 1, 3}}};
  std::atomic<int> workerLoads{0}, directLoads{0};
};

// Shares the files, which the worker's loader may outlive the test by a moment.
struct FileLoader : PictureLoader {
  FileLoader(std::shared_ptr<Files> all, bool isWorker) : files(std::move(all)), worker(isWorker) {}
  PictureRef load(const std::string& path, const DrawnSize& drawnSize) override {
    ++(worker ? files->workerLoads : files->directLoads);
    if (worker) std::lock_guard<std::mutex> waitWhileTheTestHoldsTheGate(files->gate);
    if (!files->identity(path)) throw Failure(ErrorCode::kFileNotFound, path);
    if (path == kBad) throw Failure(ErrorCode::kInvalidPicture, path);
    if (drawnSize) drawnSize({6000, 4000});
    return std::make_shared<FakePictureLoader::FakePicture>(0, 0);
  }
  std::shared_ptr<Files> files;
  bool worker;
};

DrawnSize onScreen(float width, float stretch = 1) {
  return [=](Extent natural) {
    return Extent{width, natural.height * width / natural.width * stretch};
  };
}

class Preparing : public ::testing::Test {
 protected:
  // Made at first use, on the platform as the test has set it by then.
  PreparingLoader& loader() {
    if (!loader_) loader_ = std::make_unique<PreparingLoader>(direct_, platform_);
    return *loader_;
  }
  // Where the picture handed back came from, or the error code of the load.
  std::string loadedBy(const std::string& path, const DrawnSize& drawn = onScreen(1000)) {
    const int directLoads = files_->directLoads, workerLoads = files_->workerLoads;
    const int error = errorOf([&] { loader().load(path, drawn); });
    if (error) return "error " + std::to_string(error);
    if (files_->directLoads > directLoads) return "direct";
    return files_->workerLoads > workerLoads ? "fresh" : "prepared";
  }
  void prepareAndWait(const std::string& path, const DrawnSize& drawn = onScreen(1000)) {
    loader().prepare(path, drawn);
    loader().waitUntilIdle();
  }
  // The worker is inside its load of path, held there until gate_.unlock().
  void holdWorkerIn(const std::string& path) {
    gate_.lock();
    const int loads = files_->workerLoads;
    loader().prepare(path, onScreen(1000));
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (files_->workerLoads == loads) ASSERT_LT(std::chrono::steady_clock::now(), end);
  }

  std::shared_ptr<Files> files_ = std::make_shared<Files>();
  FileLoader direct_{files_, false};
  std::unique_lock<std::mutex> gate_{files_->gate, std::defer_lock};  // left open at the end
  PreparingLoader::Platform platform_{
      [files = files_] { return std::make_unique<FileLoader>(files, true); },
      [files = files_](const std::string& path) { return files->identity(path); },
      {}};  // no pump: a load just waits
  std::unique_ptr<PreparingLoader> loader_;
};

TEST_F(Preparing, ThePreparedPictureServesOnlyTheSameFileForTheSameSizeAndFailuresAreTheLoads) {
  const struct {
    const char* name;
    std::function<void(Files&)> between;  // what happens after a is prepared, if anything
    std::string loaded;
    const char* by;
    DrawnSize drawn = onScreen(1000), preparedDrawn = onScreen(1000);
  } cases[] = {
      {"nothing changed", {}, kA, "prepared"},
      {"file rewritten", [](Files& f) { f.identities[kA].lastWrite = 9; }, kA, "fresh"},
      {"copied over, times kept", [](Files& f) { f.identities[kA].changed = 9; }, kA, "fresh"},
      {"replaced by another file", [](Files& f) { f.identities[kA].index = 9; }, kA, "fresh"},
      {"another entry or folder asked for", {}, kB, "fresh"},
      {"screen changed", {}, kA, "fresh", onScreen(800)},
      {"as wide, less high", {}, kA, "fresh", onScreen(1000, 0.5f)},
      {"no drawn size", {}, kA, "prepared", {}, {}},
      {"prepared for a drawn size, asked for none", {}, kA, "fresh", {}},
      {"file gone", [](Files& f) { f.identities.erase(kA); }, kA, "error 53"},
  };
  for (const auto& c : cases) {
    loader_.reset();
    files_->identities = Files().identities;
    prepareAndWait(kA, c.preparedDrawn);
    if (c.between) c.between(*files_);
    EXPECT_EQ(loadedBy(c.loaded, c.drawn), c.by) << c.name;
  }
  // What no file system vouches for is never decoded ahead.
  files_->identities[kB].index = 0;
  const int workerLoads = files_->workerLoads;
  prepareAndWait(kB);
  EXPECT_EQ(files_->workerLoads, workerLoads);
}

TEST_F(Preparing, AFileWrittenWhileTheWorkerReadsItIsNotKept) {
  holdWorkerIn(kA);
  files_->identities[kA].lastWrite = 5;  // the worker waits at the gate: nothing else reads it
  gate_.unlock();
  loader().waitUntilIdle();
  EXPECT_EQ(loadedBy(kA), "fresh");
}

// The show's input and paints go on while it waits: here the pump lets the worker go.
TEST_F(Preparing, ALoadWaitsForTheWorkerPumpingAndTakesTheFileItWasDecoding) {
  int pumps = 0;
  platform_.pump = [&] {
    if (++pumps % 3 == 0 && gate_.owns_lock()) gate_.unlock();
  };
  holdWorkerIn(kA);
  EXPECT_EQ(loadedBy(kA), "prepared");
  EXPECT_EQ(pumps, 3);
  holdWorkerIn(kB);
  EXPECT_EQ(loadedBy(kA), "fresh") << "after b";
  EXPECT_GE(pumps, 6);
  EXPECT_EQ(files_->workerLoads, 3);
}

TEST_F(Preparing, OnlyTheLatestRequestIsDecodedAndKeptAndWhatIsReadyIsNotDecodedAgain) {
  holdWorkerIn(kA);
  loader().prepare(kBad, onScreen(1000));  // waits behind a
  loader().prepare(kB, onScreen(1000));    // replaces the one waiting
  loader().prepare(kA, onScreen(1000));    // a is being decoded: nothing new
  gate_.unlock();
  loader().waitUntilIdle();
  EXPECT_EQ(loadedBy(kA), "fresh") << "superseded by b";
  prepareAndWait(kB);  // a folder of one picture asks for it again
  EXPECT_EQ(files_->workerLoads, 3);
  EXPECT_EQ(loadedBy(kB), "prepared");
}

TEST_F(Preparing, AFileThatFailedIsNotDecodedAgainUntilItChanges) {
  prepareAndWait(kBad);
  const int loads = files_->workerLoads;
  EXPECT_EQ(loadedBy(kBad), "error 481");
  prepareAndWait(kBad);
  EXPECT_EQ(files_->workerLoads, loads);
  files_->identities[kBad].changed = 9;
  EXPECT_EQ(loadedBy(kBad), "error 481");
  EXPECT_EQ(files_->workerLoads, loads + 1);
}

TEST_F(Preparing, WithoutAWorkerLoaderEveryLoadIsDirect) {
  platform_.workerLoader = [] { return std::unique_ptr<PictureLoader>(); };
  prepareAndWait(kA);
  EXPECT_EQ(std::tuple(loadedBy(kA), loadedBy(kBad)), std::tuple("direct", "error 481"));
}

TEST_F(Preparing, GoingAwayNeverWaitsForAWorkerStuckInADecode) {
  const long copies = files_.use_count();  // the test's own
  holdWorkerIn(kA);
  const auto start = std::chrono::steady_clock::now();
  loader_.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
  gate_.unlock();  // the worker then ends, and its loader and the files' last copies with it
  while (files_.use_count() > copies) ASSERT_LT(std::chrono::steady_clock::now() - start, 10s);
}

}  // namespace
}  // namespace qm

// The loader that decodes the next picture ahead: what it hands back, when it loads afresh,
// and that nobody ever waits for its worker but a load of the very file it is decoding.
#include "toolkit/preparing_loader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <map>
#include <mutex>

#include "tests/error_of.h"

namespace qm {
namespace {

using namespace std::chrono_literals;

struct TestPicture : Picture {
  TestPicture(std::string made, Extent drawnAt) : by(std::move(made)), drawn(drawnAt) {}
  int32_t widthHimetric() const override { return 0; }
  int32_t heightHimetric() const override { return 0; }
  std::string by;  // "worker" or "direct"
  Extent drawn;
};

// The files both threads see, by path; a failure makes every load of that path fail with it.
// The worker's loads can be held until released.
struct Files {
  std::mutex mutex;
  std::condition_variable changed;
  std::map<std::string, FileIdentity> identities;
  std::map<std::string, ErrorCode> failures;
  bool hold = false, held = false;
  int workerLoads = 0;
  int workerLoaders = 0;  // not yet destroyed: they refer to these files until they go

  template <class Condition>
  void waitFor(Condition condition) {
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, 10s, condition));
  }
  void set(bool holding) {
    std::lock_guard<std::mutex> lock(mutex);
    hold = holding;
    changed.notify_all();
  }
};

class FileLoader : public PictureLoader {
 public:
  FileLoader(Files& files, bool worker) : files_(files), worker_(worker) {
    std::lock_guard<std::mutex> lock(files_.mutex);
    files_.workerLoaders += worker_;
  }
  ~FileLoader() override {
    std::lock_guard<std::mutex> lock(files_.mutex);
    files_.workerLoaders -= worker_;
    files_.changed.notify_all();
  }
  FileLoader(const FileLoader&) = delete;
  FileLoader& operator=(const FileLoader&) = delete;
  PictureRef load(const std::string& path, const DrawnSize& drawnSize) override {
    std::unique_lock<std::mutex> lock(files_.mutex);
    ++loads;
    if (worker_) {
      ++files_.workerLoads;
      files_.held = files_.hold;
      files_.changed.notify_all();
      files_.changed.wait(lock, [this] { return !files_.hold; });
    }
    auto failure = files_.failures.find(path);
    if (failure != files_.failures.end()) throw Failure(failure->second, path);
    if (!files_.identities.count(path)) throw Failure(ErrorCode::kFileNotFound, path);
    const Extent natural{6000, 4000};
    return std::make_shared<TestPicture>(worker_ ? "worker" : "direct",
                                         drawnSize ? drawnSize(natural) : natural);
  }
  int loads = 0;

 private:
  Files& files_;
  bool worker_;
};

DrawnSize onScreen(float width) {
  return [width](Extent natural) { return Extent{width, natural.height * width / natural.width}; };
}

const std::string kA = "C:\\p\\a.jpg", kB = "C:\\p\\b.jpg";

class Preparing : public ::testing::Test {
 protected:
  Preparing() { files_.identities = {{kA, {100, 1}}, {kB, {200, 2}}}; }
  ~Preparing() override {
    // The worker's loader refers to files_: it must be gone before they go.
    loader_.reset();
    files_.set(false);
    files_.waitFor([this] { return files_.workerLoaders == 0; });
  }
  PreparingLoader& loader() {
    if (!loader_) {
      PreparingLoader::Platform platform;
      platform.workerLoader = [this] { return std::make_unique<FileLoader>(files_, true); };
      platform.identity = [this](const std::string& path) -> std::optional<FileIdentity> {
        std::lock_guard<std::mutex> lock(files_.mutex);
        auto found = files_.identities.find(path);
        if (found == files_.identities.end()) return std::nullopt;
        return found->second;
      };
      loader_ = std::make_unique<PreparingLoader>(direct_, std::move(platform));
    }
    return *loader_;
  }
  std::string loadedBy(const std::string& path) {
    return static_cast<const TestPicture&>(*loader().load(path, onScreen(1000))).by;
  }
  void prepareAndWait(const std::string& path) {
    loader().prepare(path, onScreen(1000));
    loader().waitUntilIdle();
  }
  // The worker is inside its load of path, held there until files_.set(false).
  void holdWorkerIn(const std::string& path) {
    files_.set(true);
    loader().prepare(path, onScreen(1000));
    files_.waitFor([this] { return files_.held; });
  }
  int errorOfLoad(const std::string& path) {
    return errorOf([&] { loader().load(path, onScreen(1000)); });
  }

  Files files_;
  FileLoader direct_{files_, false};
  std::unique_ptr<PreparingLoader> loader_;
};

TEST_F(Preparing, ThePreparedPictureServesOnlyTheSameFileForTheSameSize) {
  const struct {
    const char* name;
    std::function<void(Files&)> between;  // what happens between prepare and load
    std::string loaded;
    float width;
    const char* by;
  } cases[] = {
      {"nothing changed", [](Files&) {}, kA, 1000, "worker"},
      {"file rewritten", [](Files& f) { f.identities[kA].lastWrite = 9; }, kA, 1000, "direct"},
      {"file replaced by one of another size", [](Files& f) { f.identities[kA].size = 7; }, kA,
       1000, "direct"},
      {"another entry or folder asked for", [](Files&) {}, kB, 1000, "direct"},
      {"screen changed", [](Files&) {}, kA, 800, "direct"},
  };
  for (const auto& c : cases) {
    loader_.reset();
    files_.identities = {{kA, {100, 1}}, {kB, {200, 2}}};
    prepareAndWait(kA);
    c.between(files_);
    const auto& picture =
        static_cast<const TestPicture&>(*loader().load(c.loaded, onScreen(c.width)));
    EXPECT_EQ(picture.by, c.by) << c.name;
    EXPECT_EQ(picture.drawn.width, c.width) << c.name;
  }
}

TEST_F(Preparing, FailuresAreTheDirectLoadsOwn) {
  prepareAndWait(kA);
  files_.identities.erase(kA);  // gone, with its folder or alone
  files_.failures[kA] = ErrorCode::kPathNotFound;
  EXPECT_EQ(errorOfLoad(kA), 76);
  // A file the worker could not decode: the step's own load meets the failure and reports it.
  files_.failures = {{kB, ErrorCode::kInvalidPicture}};
  prepareAndWait(kB);
  EXPECT_EQ(files_.workerLoads, 2);
  EXPECT_EQ(errorOfLoad(kB), 481);
}

TEST_F(Preparing, AFileWrittenWhileTheWorkerReadsItIsNotKept) {
  holdWorkerIn(kA);
  {
    std::lock_guard<std::mutex> lock(files_.mutex);
    files_.identities[kA].lastWrite = 5;
  }
  files_.set(false);
  loader().waitUntilIdle();
  EXPECT_EQ(loadedBy(kA), "direct");
}

TEST_F(Preparing, ALoadOfTheFileBeingDecodedWaitsForItAndAnyOtherDoesNot) {
  holdWorkerIn(kA);
  EXPECT_EQ(loadedBy(kB), "direct");  // at once, beside the busy worker
  std::future<std::string> same = std::async(std::launch::async, [&] { return loadedBy(kA); });
  EXPECT_EQ(same.wait_for(200ms), std::future_status::timeout);
  files_.set(false);
  EXPECT_EQ(same.get(), "worker");
  EXPECT_EQ(direct_.loads, 1);
}

TEST_F(Preparing, OnlyTheLatestRequestIsDecodedAndKept) {
  holdWorkerIn(kA);
  loader().prepare(kB, onScreen(1000));  // waits behind a
  loader().prepare(kA, onScreen(1000));  // a is being decoded: nothing new
  loader().prepare(kB, onScreen(1000));  // replaces the one waiting
  files_.set(false);
  loader().waitUntilIdle();
  EXPECT_EQ(files_.workerLoads, 2);
  EXPECT_EQ(loadedBy(kA), "direct") << "superseded by b";
  EXPECT_EQ(loadedBy(kB), "worker");
  // Asked again for what it has ready (a folder of one picture): no second decode.
  prepareAndWait(kB);
  EXPECT_EQ(files_.workerLoads, 2);
  EXPECT_EQ(loadedBy(kB), "worker");
}

TEST_F(Preparing, GoingAwayNeverWaitsForAWorkerStuckInADecode) {
  holdWorkerIn(kA);
  const auto start = std::chrono::steady_clock::now();
  loader_.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
}

}  // namespace
}  // namespace qm

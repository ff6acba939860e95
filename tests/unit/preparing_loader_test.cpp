// The loader that decodes the next picture ahead: what it hands back, when it loads afresh,
// and that nobody ever waits for its worker but a load of the very file it is decoding.
#include "toolkit/preparing_loader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <map>
#include <mutex>

#include "toolkit/failure.h"

namespace qm {
namespace {

struct TestPicture : Picture {
  TestPicture(std::string made, Extent drawnAt) : by(std::move(made)), drawn(drawnAt) {}
  int32_t widthHimetric() const override { return 0; }
  int32_t heightHimetric() const override { return 0; }
  std::string by;  // "worker" or "direct"
  Extent drawn;
};

// The files both threads see: identity and natural size by path; a failure makes every load of
// that path fail with it.
struct Files {
  std::mutex mutex;
  std::map<std::string, FileIdentity> identities;
  std::map<std::string, ErrorCode> failures;
  // Set by a test to hold the worker inside a load until it is released.
  std::shared_future<void> gate;
  std::promise<void> entered;
  bool signalEntered = false;
  int workerLoads = 0;
  // Worker loaders not yet destroyed: they refer to these files until they go.
  int workerLoaders = 0;
  std::condition_variable loaderGone;

  void waitForWorkerLoaders() {
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(
        loaderGone.wait_for(lock, std::chrono::seconds(10), [this] { return workerLoaders == 0; }));
  }

  std::optional<FileIdentity> identity(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex);
    auto found = identities.find(path);
    if (found == identities.end()) return std::nullopt;
    return found->second;
  }
};

class FileLoader : public PictureLoader {
 public:
  FileLoader(Files& files, std::string name) : files_(files), name_(std::move(name)) {
    std::lock_guard<std::mutex> lock(files_.mutex);
    if (name_ == "worker") ++files_.workerLoaders;
  }
  ~FileLoader() override {
    std::lock_guard<std::mutex> lock(files_.mutex);
    if (name_ == "worker" && --files_.workerLoaders == 0) files_.loaderGone.notify_all();
  }
  FileLoader(const FileLoader&) = delete;
  FileLoader& operator=(const FileLoader&) = delete;
  PictureRef load(const std::string& path, const DrawnSize& drawnSize) override {
    std::shared_future<void> gate;
    {
      std::lock_guard<std::mutex> lock(files_.mutex);
      ++loads;
      if (name_ == "worker") {
        ++files_.workerLoads;
        gate = files_.gate;
        if (files_.signalEntered) {
          files_.signalEntered = false;
          files_.entered.set_value();
        }
      }
      auto failure = files_.failures.find(path);
      if (failure != files_.failures.end()) throw Failure(failure->second, path);
      if (!files_.identities.count(path)) throw Failure(ErrorCode::kFileNotFound, path);
    }
    if (gate.valid()) gate.wait();
    const Extent natural{6000, 4000};
    return std::make_shared<TestPicture>(name_, drawnSize ? drawnSize(natural) : natural);
  }
  int loads = 0;

 private:
  Files& files_;
  std::string name_;
};

DrawnSize onScreen(float width) {
  return [width](Extent natural) { return Extent{width, natural.height * width / natural.width}; };
}

class Preparing : public ::testing::Test {
 protected:
  Preparing() { files_.identities = {{"C:\\p\\a.jpg", {100, 1}}, {"C:\\p\\b.jpg", {200, 2}}}; }
  ~Preparing() override {
    // The worker's loader refers to files_: it must be gone before they go.
    loader_.reset();
    files_.waitForWorkerLoaders();
  }
  PreparingLoader& loader() {
    if (!loader_) {
      PreparingLoader::Platform platform;
      platform.workerLoader = [this] { return std::make_unique<FileLoader>(files_, "worker"); };
      platform.identity = [this](const std::string& path) { return files_.identity(path); };
      loader_ = std::make_unique<PreparingLoader>(direct_, std::move(platform));
    }
    return *loader_;
  }
  std::string by(const PictureRef& picture) { return static_cast<const TestPicture&>(*picture).by; }
  void prepareAndWait(const std::string& path, const DrawnSize& drawn = onScreen(1000)) {
    loader().prepare(path, drawn);
    loader().waitUntilIdle();
  }

  Files files_;
  FileLoader direct_{files_, "direct"};
  std::unique_ptr<PreparingLoader> loader_;
};

TEST_F(Preparing, ThePreparedPictureServesOnlyTheSameFileForTheSameSize) {
  struct Case {
    const char* name;
    std::function<void(Files&)> between;  // what happens between prepare and load
    std::string loaded;
    float width;
    const char* by;
  } cases[] = {
      {"nothing changed", [](Files&) {}, "C:\\p\\a.jpg", 1000, "worker"},
      {"file rewritten", [](Files& f) { f.identities["C:\\p\\a.jpg"].lastWrite = 9; },
       "C:\\p\\a.jpg", 1000, "direct"},
      {"file replaced by one of another size",
       [](Files& f) { f.identities["C:\\p\\a.jpg"].size = 7; }, "C:\\p\\a.jpg", 1000, "direct"},
      {"another entry or folder asked for", [](Files&) {}, "C:\\p\\b.jpg", 1000, "direct"},
      {"screen changed", [](Files&) {}, "C:\\p\\a.jpg", 800, "direct"},
  };
  for (const Case& c : cases) {
    loader_.reset();
    files_.identities = {{"C:\\p\\a.jpg", {100, 1}}, {"C:\\p\\b.jpg", {200, 2}}};
    prepareAndWait("C:\\p\\a.jpg");
    c.between(files_);
    const PictureRef picture = loader().load(c.loaded, onScreen(c.width));
    EXPECT_EQ(by(picture), c.by) << c.name;
    EXPECT_EQ(static_cast<const TestPicture&>(*picture).drawn.width, c.width) << c.name;
  }
}

TEST_F(Preparing, FailuresAreTheDirectLoadsOwn) {
  prepareAndWait("C:\\p\\a.jpg");
  files_.identities.erase("C:\\p\\a.jpg");  // gone, with its folder or alone
  files_.failures["C:\\p\\a.jpg"] = ErrorCode::kPathNotFound;
  try {
    loader().load("C:\\p\\a.jpg", onScreen(1000));
    FAIL() << "a file gone after it was prepared still loaded";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.code(), ErrorCode::kPathNotFound);
  }

  // A file the worker could not decode: the step's own load meets the failure and reports it.
  files_.failures = {{"C:\\p\\b.jpg", ErrorCode::kInvalidPicture}};
  prepareAndWait("C:\\p\\b.jpg");
  EXPECT_EQ(files_.workerLoads, 2);
  try {
    loader().load("C:\\p\\b.jpg", onScreen(1000));
    FAIL() << "a corrupt file loaded";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.code(), ErrorCode::kInvalidPicture);
  }
}

TEST_F(Preparing, AFileWrittenWhileTheWorkerReadsItIsNotKept) {
  std::promise<void> release;
  files_.gate = release.get_future().share();
  files_.signalEntered = true;
  std::future<void> entered = files_.entered.get_future();
  loader().prepare("C:\\p\\a.jpg", onScreen(1000));
  entered.wait();
  {
    std::lock_guard<std::mutex> lock(files_.mutex);
    files_.identities["C:\\p\\a.jpg"].lastWrite = 5;
    files_.gate = {};
  }
  release.set_value();
  loader().waitUntilIdle();
  EXPECT_EQ(by(loader().load("C:\\p\\a.jpg", onScreen(1000))), "direct");
}

TEST_F(Preparing, ALoadOfTheFileBeingDecodedWaitsForItAndAnyOtherDoesNot) {
  std::promise<void> release;
  files_.gate = release.get_future().share();
  files_.signalEntered = true;
  std::future<void> entered = files_.entered.get_future();
  loader().prepare("C:\\p\\a.jpg", onScreen(1000));
  entered.wait();
  {
    std::lock_guard<std::mutex> lock(files_.mutex);
    files_.gate = {};
  }
  // Another file loads at once, beside the busy worker.
  EXPECT_EQ(by(loader().load("C:\\p\\b.jpg", onScreen(1000))), "direct");
  // The file being decoded: the load waits for the worker and takes its picture.
  std::future<PictureRef> same =
      std::async(std::launch::async, [&] { return loader().load("C:\\p\\a.jpg", onScreen(1000)); });
  EXPECT_EQ(same.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
  release.set_value();
  EXPECT_EQ(by(same.get()), "worker");
  EXPECT_EQ(direct_.loads, 1);
}

TEST_F(Preparing, OnlyTheLatestRequestIsDecodedAndKept) {
  std::promise<void> release;
  files_.gate = release.get_future().share();
  files_.signalEntered = true;
  std::future<void> entered = files_.entered.get_future();
  loader().prepare("C:\\p\\a.jpg", onScreen(1000));
  entered.wait();
  {
    std::lock_guard<std::mutex> lock(files_.mutex);
    files_.gate = {};
  }
  loader().prepare("C:\\p\\b.jpg", onScreen(1000));  // waits behind a
  loader().prepare("C:\\p\\a.jpg", onScreen(1000));  // a is being decoded: nothing new
  loader().prepare("C:\\p\\b.jpg", onScreen(1000));  // replaces the one waiting
  release.set_value();
  loader().waitUntilIdle();
  EXPECT_EQ(files_.workerLoads, 2);
  EXPECT_EQ(by(loader().load("C:\\p\\a.jpg", onScreen(1000))), "direct") << "superseded by b";
  EXPECT_EQ(by(loader().load("C:\\p\\b.jpg", onScreen(1000))), "worker");
  // Asked again for what it has ready (a folder of one picture): no second decode.
  prepareAndWait("C:\\p\\b.jpg");
  EXPECT_EQ(files_.workerLoads, 2);
  EXPECT_EQ(by(loader().load("C:\\p\\b.jpg", onScreen(1000))), "worker");
}

TEST_F(Preparing, GoingAwayNeverWaitsForAWorkerStuckInADecode) {
  std::promise<void> release;
  files_.gate = release.get_future().share();
  files_.signalEntered = true;
  std::future<void> entered = files_.entered.get_future();
  loader().prepare("C:\\p\\a.jpg", onScreen(1000));
  entered.wait();
  const auto start = std::chrono::steady_clock::now();
  loader_.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  release.set_value();
  files_.waitForWorkerLoaders();
}

}  // namespace
}  // namespace qm

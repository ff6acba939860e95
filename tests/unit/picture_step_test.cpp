// The picture step: fitting, the order of the show, its sound and its failure rules.
#include <gtest/gtest.h>

#include <cmath>

#include "show/step_runner.h"
#include "sound/sound.h"
#include "tests/fake/fake_toolkit.h"

namespace qm {
namespace {

class PictureStep : public ::testing::Test, public Program {
 protected:
  // Sizes in pixels at 96 DPI, reported in HIMETRIC as the loader does.
  void add(const std::string& name, int widthPixels = 10, int heightPixels = 10) {
    tk.folders["C:\\Saver"].push_back(name);
    tk.loader.pictures["C:\\Saver\\" + name] = {himetric(widthPixels), himetric(heightPixels)};
  }
  void addBroken(const std::string& name) {
    tk.folders["C:\\Saver"].push_back(name);
    tk.loader.failures["C:\\Saver\\" + name] = ErrorCode::kInvalidPicture;
  }
  void startShow() {
    tk.resourceReader.sounds[7] = std::vector<uint8_t>(3128, 0x80);
    EXPECT_FALSE(start("/s"));
  }
  const fake::FakeWindow::Drawing& onlyDrawing() {
    EXPECT_EQ(tk.lastWindow->drawn.size(), 1u);
    return tk.lastWindow->drawn.at(0);
  }
  std::string lastLoaded() const { return tk.loader.loads.back(); }
  // Activation and each step ask for the entry the next step loads, so it is decoded ahead.
  void expectEachLoadAskedForAhead() {
    const auto& loads = tk.loader.loads;
    ASSERT_EQ(tk.loader.preparations.size(), loads.size() + 1);
    for (size_t i = 0; i < loads.size(); ++i)
      EXPECT_EQ(tk.loader.preparations[i].path, loads[i]) << i;
  }
  static int32_t himetric(int pixels) { return std::lround(pixels * 2540.0 / 96); }
};

struct Geometry {
  const char* name;
  int width, height;  // pixels of the picture
  float x, y, w, h;   // twips expected on a 1024 x 768 screen (15360 x 11520)
};

class Fitting : public PictureStep, public ::testing::WithParamInterface<Geometry> {};

TEST_P(Fitting, ShrinksByTheLongerSideOnlyCentresAndTellsTheLoaderTheDrawnSizeAhead) {
  const Geometry& g = GetParam();
  add("a.jpg", g.width, g.height);
  startShow();
  ASSERT_FALSE(tick(0));
  const auto& drawn = onlyDrawing();
  EXPECT_NEAR(drawn.x, g.x, 0.5) << g.name;
  EXPECT_NEAR(drawn.y, g.y, 0.5) << g.name;
  // Drawn, told to the load, and asked for ahead for the screen of its step: one size.
  std::vector<Extent> sizes = tk.loader.drawnSizes;
  sizes.push_back({drawn.w, drawn.h});
  tk.display.widthPixels = 800;
  const Extent natural{himetricToTwips(static_cast<float>(himetric(g.width))),
                       himetricToTwips(static_cast<float>(himetric(g.height)))};
  for (const auto& prepared : tk.loader.preparations) sizes.push_back(prepared.drawnSize(natural));
  ASSERT_EQ(sizes.size(), 4u);
  for (const Extent& size : sizes) {
    EXPECT_NEAR(size.width, g.w, 0.5) << g.name;
    EXPECT_NEAR(size.height, g.h, 0.5) << g.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, Fitting,
    ::testing::Values(Geometry{"landscape twice as wide", 2048, 1000, 0, 2010, 15360, 7500},
                      Geometry{"portrait taller", 600, 1536, 5430, 0, 4500, 11520},
                      Geometry{"square wider than the screen, never scaled", 1100, 1100, -570,
                               -2490, 16500, 16500},
                      Geometry{"landscape only too tall is not shrunk", 1000, 900, 180, -990, 15000,
                               13500},
                      Geometry{"exactly the screen", 1024, 768, 0, 0, 15360, 11520}));

TEST_F(PictureStep, FilesShowInNaturalOrderEachWithSoundSevenAndWrap) {
  add("b.jpg");
  add("a.gif");
  add("c.bmp");
  startShow();
  std::vector<std::string> shown;
  for (int i = 0; i < 5; ++i) {
    ASSERT_FALSE(tick(0));
    shown.push_back(lastLoaded());
  }
  EXPECT_EQ(shown,
            (std::vector<std::string>{"C:\\Saver\\a.gif", "C:\\Saver\\b.jpg", "C:\\Saver\\c.bmp",
                                      "C:\\Saver\\a.gif", "C:\\Saver\\b.jpg"}));
  EXPECT_EQ(tk.soundOutput.requests.size(), 5u);
  expectEachLoadAskedForAhead();
}

TEST_F(PictureStep, ABadFileIsSkippedStatementByStatementAndCostsOneTick) {
  addBroken("0.jpg");
  add("1.jpg", 640, 400);
  addBroken("2.jpg");
  add("3.jpg");
  startShow();
  const int clears = tk.lastWindow->clears;
  ASSERT_FALSE(tick(0));  // nothing loaded yet: the sound and the clear, nothing drawn
  EXPECT_EQ(tk.soundOutput.requests.size(), 1u);
  EXPECT_EQ(tk.lastWindow->clears, clears + 1);
  EXPECT_TRUE(tk.lastWindow->drawn.empty());
  ASSERT_FALSE(tick(0));
  const Picture* first = onlyDrawing().picture;
  ASSERT_FALSE(tick(0));  // the previous picture again
  EXPECT_EQ(onlyDrawing().picture, first);
  EXPECT_NEAR(onlyDrawing().w, 9600, 0.5);
  ASSERT_FALSE(tick(0));
  EXPECT_NE(onlyDrawing().picture, first);
  EXPECT_EQ(lastLoaded(), "C:\\Saver\\3.jpg");
  EXPECT_TRUE(tk.application.messageBoxes.empty());
  expectEachLoadAskedForAhead();
}

TEST_F(PictureStep, MissingFolderShowsItsMessageAndEndsBeforeTheSound) {
  add("1.jpg");
  startShow();
  ASSERT_FALSE(tick(0));
  tk.loader.failures["C:\\Saver\\1.jpg"] = ErrorCode::kPathNotFound;  // folder removed
  ASSERT_TRUE(tick(0));
  EXPECT_EQ(tk.application.messageBoxes,
            std::vector<std::string>{"No Directory Exists!|48|The directory path does not exist! "
                                     "Create a directory with graphics first."});
  EXPECT_EQ(tk.application.cursorAtBoxes, std::vector<int>{0}) << "OK cannot be aimed at";
  EXPECT_EQ(tk.soundOutput.requests.size(), 1u);
}

// Also the activation's re-listing, which keeps the index.
TEST_F(PictureStep, IndexPastTheEndOfAShrunkListWrapsToTheFirst) {
  for (int i = 0; i < 6; ++i) add("p" + std::to_string(i) + ".jpg");
  startShow();
  for (int i = 0; i < 5; ++i) ASSERT_FALSE(tick(0));
  tk.folders["C:\\Saver"].resize(3);
  ASSERT_FALSE(user(tk.lastWindow->events.activate));
  ASSERT_FALSE(tick(0));
  EXPECT_EQ(lastLoaded(), "C:\\Saver\\") << "index 5 kept: past the end, an empty entry";
  ASSERT_FALSE(tick(0));
  EXPECT_EQ(lastLoaded(), "C:\\Saver\\p0.jpg");
}

TEST_F(PictureStep, KeyPressDuringTheSoundEndsBeforeThePictureIsDrawn) {
  add("1.jpg");
  startShow();
  tk.application.post([this] { tk.lastWindow->events.keyPress('x'); });
  EXPECT_TRUE(tick(0));
  EXPECT_EQ(tk.soundOutput.requests.size(), 1u);
  EXPECT_TRUE(tk.lastWindow->drawn.empty());
}

// No condition of the step fails today; the rule holds for the next one written.
TEST(StepRunner, AConditionThatFailsCountsAsTrue) {
  StepRunner step([] {});
  EXPECT_TRUE(step.test([]() -> bool { throw Failure(ErrorCode::kOverflow); }));
  EXPECT_FALSE(step.test([] { return false; }));
  EXPECT_EQ(step.failures(), 1);
}

TEST(PlaySound, HandsItsBufferWithFlags23YieldsKeepsThePlayingImageAndFailsInOrder) {
  fake::FakeToolkit tk;
  const std::vector<uint8_t> seven(3128, 0x80), five(452, 0x7F);
  tk.resourceReader.sounds = {{7, seven}, {5, five}};
  Module1 module(tk);
  const int missing = errorOf([&] { module.PlayResourceSound(8); });
  EXPECT_TRUE(missing != 0 && missing != 76) << missing;
  EXPECT_EQ(module.soundBuffer(), nullptr) << "empty until a sound is read";
  module.PlayResourceSound(7);
  ASSERT_EQ(tk.soundOutput.requests.size(), 1u);
  const uint8_t* playing = tk.soundOutput.requests[0].image;
  EXPECT_EQ(playing, module.soundBuffer()->data());
  EXPECT_EQ(*module.soundBuffer(), seven);
  EXPECT_EQ(tk.soundOutput.requests[0].flags, 23u);
  EXPECT_EQ(tk.application.doEventsCalls, 1);
  tk.soundOutput.refuses = true;  // sound 7 still playing
  module.PlayResourceSound(5);
  EXPECT_EQ(tk.application.doEventsCalls, 2);
  EXPECT_EQ(*module.soundBuffer(), five);
  EXPECT_EQ(module.playingImage()->data(), playing) << "the platform may still read it";
  EXPECT_EQ(*module.playingImage(), seven);
  EXPECT_NE(errorOf([&] { module.PlayResourceSound(8); }), 0);
  EXPECT_EQ(*module.soundBuffer(), five) << "a missing sound fails before the buffer changes";
  EXPECT_EQ(tk.soundOutput.requests.size(), 2u);
  tk.soundOutput.bindingFails = true;
  const int binding = errorOf([&] { module.PlayResourceSound(7); });
  EXPECT_TRUE(binding != 0 && binding != 76) << binding;
  EXPECT_EQ(*module.soundBuffer(), seven) << "a failed binding fails after it";
}

}  // namespace
}  // namespace qm

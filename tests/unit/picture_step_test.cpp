// The picture step: fitting, the order of the show, its sound and its failure rules.
#include <gtest/gtest.h>

#include <cmath>

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
  EXPECT_NEAR(drawn.w, g.w, 0.5) << g.name;
  EXPECT_NEAR(drawn.h, g.h, 0.5) << g.name;
  ASSERT_EQ(tk.loader.drawnSizes.size(), 1u);
  EXPECT_NEAR(tk.loader.drawnSizes[0].width, g.w, 0.5) << g.name;
  EXPECT_NEAR(tk.loader.drawnSizes[0].height, g.h, 0.5) << g.name;
  // Asked for ahead, the size is taken for the screen of its step: a worker calls it later.
  tk.display.widthPixels = 800;
  const Extent natural{himetricToTwips(static_cast<float>(himetric(g.width))),
                       himetricToTwips(static_cast<float>(himetric(g.height)))};
  for (const auto& prepared : tk.loader.preparations) {
    EXPECT_NEAR(prepared.drawnSize(natural).width, g.w, 0.5) << g.name;
    EXPECT_NEAR(prepared.drawnSize(natural).height, g.h, 0.5) << g.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, Fitting,
    ::testing::Values(Geometry{"landscape twice as wide", 2048, 1000, 0, 2010, 15360, 7500},
                      Geometry{"portrait taller", 600, 1536, 5430, 0, 4500, 11520},
                      Geometry{"square larger, never scaled", 1000, 1000, 180, -1740, 15000, 15000},
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
  EXPECT_EQ(slide->pictureIndex(), 3);
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
  EXPECT_EQ(slide->pictureIndex(), 0);
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

class PlaySound : public ::testing::Test {
 protected:
  void SetUp() override {
    tk_.resourceReader.sounds[7] = std::vector<uint8_t>(3128, 0x80);
    tk_.resourceReader.sounds[5] = std::vector<uint8_t>(452, 0x7F);
  }
  fake::FakeToolkit tk_;
  Module1 module_{tk_};
};

TEST_F(PlaySound, HandsTheBufferItselfWithFlags23YieldsAndARefusalKeepsThePlayingImage) {
  module_.PlayResourceSound(7);
  ASSERT_NE(module_.soundBuffer(), nullptr);
  EXPECT_EQ(*module_.soundBuffer(), tk_.resourceReader.sounds[7]);
  ASSERT_EQ(tk_.soundOutput.requests.size(), 1u);
  const uint8_t* playing = tk_.soundOutput.requests[0].image;
  EXPECT_EQ(playing, module_.soundBuffer()->data());
  EXPECT_EQ(tk_.soundOutput.requests[0].flags, 23u);
  EXPECT_EQ(tk_.application.doEventsCalls, 1);

  tk_.soundOutput.refuses = true;  // sound 7 still playing
  EXPECT_NO_THROW(module_.PlayResourceSound(5));
  EXPECT_EQ(tk_.application.doEventsCalls, 2);
  EXPECT_EQ(module_.soundBuffer()->size(), 452u);
  ASSERT_NE(module_.playingImage(), nullptr);
  EXPECT_EQ(module_.playingImage()->data(), playing) << "the platform may still read it";
  EXPECT_EQ(*module_.playingImage(), tk_.resourceReader.sounds[7]);
}

TEST_F(PlaySound, MissingResourceFailsBeforeTheBufferChangesAFailedBindingAfterIt) {
  const int code = errorOf([&] { module_.PlayResourceSound(8); });
  EXPECT_TRUE(code != 0 && code != 76) << code;
  EXPECT_EQ(module_.soundBuffer(), nullptr) << "empty until a sound is read";
  module_.PlayResourceSound(5);
  EXPECT_NE(errorOf([&] { module_.PlayResourceSound(8); }), 0);
  EXPECT_EQ(*module_.soundBuffer(), tk_.resourceReader.sounds[5]);
  EXPECT_EQ(tk_.soundOutput.requests.size(), 1u) << "no play request for the missing sound";
  EXPECT_EQ(tk_.application.doEventsCalls, 1);
  tk_.soundOutput.bindingFails = true;
  const int binding = errorOf([&] { module_.PlayResourceSound(7); });
  EXPECT_TRUE(binding != 0 && binding != 76) << binding;
  EXPECT_EQ(*module_.soundBuffer(), tk_.resourceReader.sounds[7]);
}

}  // namespace
}  // namespace qm

// The picture step: fitting and centring, the order of the show, and its failure rules.
#include <gtest/gtest.h>

#include <cmath>

#include "app/slide.h"
#include "tests/fake/fake_toolkit.h"

namespace qm {
namespace {

using fake::FakeToolkit;
using fake::FakeWindow;
using fake::ProgramEnded;

// Pixels at 96 DPI in HIMETRIC, as the loader reports a picture's natural size.
int32_t himetric(int pixels) { return static_cast<int32_t>(std::lround(pixels * 2540.0 / 96)); }

class PictureStep : public ::testing::Test {
 protected:
  void addPicture(const std::string& name, int widthPixels, int heightPixels) {
    tk_.folders["C:\\Saver"].push_back({name});
    tk_.loader.pictures["C:\\Saver\\" + name] = {himetric(widthPixels), himetric(heightPixels)};
  }
  void addBroken(const std::string& name) {
    tk_.folders["C:\\Saver"].push_back({name});
    tk_.loader.failures["C:\\Saver\\" + name] = ErrorCode::kInvalidPicture;
  }
  void start() {
    tk_.resourceReader.sounds[7] = std::vector<uint8_t>(3128, 0x80);
    tk_.application.arguments = "/s";
    slide_ = std::make_unique<Slide>(tk_, [] {});
    startProgram(tk_, *slide_);
  }
  // One Timer1 tick; false when the program ended in it.
  bool tick() {
    try {
      tk_.timers.at(0)->fire();
      return true;
    } catch (const ProgramEnded&) {
      return false;
    }
  }
  const FakeWindow::Drawing& onlyDrawing() {
    EXPECT_EQ(tk_.lastWindow->drawn.size(), 1u);
    return tk_.lastWindow->drawn.at(0);
  }
  std::string lastLoaded() const { return tk_.loader.loads.back(); }

  FakeToolkit tk_;
  std::unique_ptr<Slide> slide_;
};

struct Geometry {
  const char* name;
  int width, height;         // pixels of the picture
  float x, y, w, h;          // twips expected, to 1/30 pixel, on a 1024 x 768 screen (15360 x 11520)
};

class Fitting : public PictureStep, public ::testing::WithParamInterface<Geometry> {};

TEST_P(Fitting, ShrinksByTheLongerSideOnlyAndCentres) {
  const Geometry& g = GetParam();
  addPicture("a.jpg", g.width, g.height);
  start();
  ASSERT_TRUE(tick());
  const auto& drawn = onlyDrawing();
  EXPECT_NEAR(drawn.x, g.x, 0.5) << g.name;
  EXPECT_NEAR(drawn.y, g.y, 0.5) << g.name;
  EXPECT_NEAR(drawn.w, g.w, 0.5) << g.name;
  EXPECT_NEAR(drawn.h, g.h, 0.5) << g.name;
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, Fitting,
    ::testing::Values(
        Geometry{"landscape smaller", 640, 400, 2880, 2760, 9600, 6000},
        Geometry{"landscape twice as wide", 2048, 1000, 0, 2010, 15360, 7500},
        Geometry{"portrait taller", 600, 1536, 5430, 0, 4500, 11520},
        Geometry{"square larger, never scaled", 1000, 1000, 180, -1740, 15000, 15000},
        Geometry{"landscape only too tall is not shrunk", 1000, 900, 180, -990, 15000, 13500},
        Geometry{"exactly the screen", 1024, 768, 0, 0, 15360, 11520}));

TEST_F(PictureStep, ThreeFilesShowInOrderAndWrap) {
  addPicture("b.jpg", 10, 10);
  addPicture("a.gif", 10, 10);
  addPicture("c.bmp", 10, 10);
  start();
  std::vector<std::string> shown;
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(tick());
    shown.push_back(lastLoaded());
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"C:\\Saver\\a.gif", "C:\\Saver\\b.jpg",
                                             "C:\\Saver\\c.bmp", "C:\\Saver\\a.gif",
                                             "C:\\Saver\\b.jpg"}));
  EXPECT_EQ(tk_.soundOutput.requests.size(), 5u) << "sound 7 with every picture";
}

TEST_F(PictureStep, CorruptFileRedrawsThePreviousPictureAndTheNextTickMovesOn) {
  addPicture("1.jpg", 640, 400);
  addBroken("2.jpg");
  addPicture("3.jpg", 300, 500);
  start();
  ASSERT_TRUE(tick());
  const Picture* first = onlyDrawing().picture;
  ASSERT_TRUE(tick());
  EXPECT_EQ(onlyDrawing().picture, first);
  EXPECT_NEAR(onlyDrawing().w, 9600, 0.5);
  EXPECT_EQ(slide_->pictureIndex(), 2);
  ASSERT_TRUE(tick());
  EXPECT_NE(onlyDrawing().picture, first);
  EXPECT_EQ(lastLoaded(), "C:\\Saver\\3.jpg");
}

TEST_F(PictureStep, NothingLoadedYetStillPlaysClearsAndAdvances) {
  addBroken("1.jpg");
  addPicture("2.jpg", 10, 10);
  start();
  const int clears = tk_.lastWindow->clears;
  ASSERT_TRUE(tick());
  EXPECT_EQ(tk_.soundOutput.requests.size(), 1u);
  EXPECT_EQ(tk_.lastWindow->clears, clears + 1);
  EXPECT_TRUE(tk_.lastWindow->drawn.empty());
  EXPECT_EQ(slide_->pictureIndex(), 1);
  EXPECT_TRUE(tk_.application.messageBoxes.empty());
}

TEST_F(PictureStep, EmptyFolderNeverClaimsTheFolderIsMissing) {
  start();
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(tick());
  EXPECT_TRUE(tk_.application.messageBoxes.empty());
  EXPECT_TRUE(tk_.lastWindow->drawn.empty());
  EXPECT_EQ(slide_->pictureIndex(), 0);
}

TEST_F(PictureStep, MissingFolderShowsItsMessageAndEnds) {
  addPicture("1.jpg", 10, 10);
  start();
  ASSERT_TRUE(tick());
  tk_.loader.failures["C:\\Saver\\1.jpg"] = ErrorCode::kPathNotFound;  // folder removed
  ASSERT_FALSE(tick());
  ASSERT_EQ(tk_.application.messageBoxes.size(), 1u);
  EXPECT_EQ(tk_.application.messageBoxes[0].text,
            "The directory path does not exist! Create a directory with graphics first.");
  EXPECT_EQ(tk_.application.messageBoxes[0].title, "No Directory Exists!");
  EXPECT_EQ(tk_.application.messageBoxes[0].style, 48);
  EXPECT_EQ(tk_.soundOutput.requests.size(), 1u) << "ends before the sound of that step";
}

TEST_F(PictureStep, IndexPastTheEndOfAShrunkListWrapsToTheFirst) {
  for (int i = 0; i < 6; ++i) addPicture("p" + std::to_string(i) + ".jpg", 10, 10);
  start();
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(tick());
  EXPECT_EQ(slide_->pictureIndex(), 5);
  tk_.folders["C:\\Saver"].resize(3);  // files removed; the next activation re-lists
  tk_.lastWindow->activateBySystem();
  ASSERT_TRUE(tick());
  EXPECT_EQ(slide_->pictureIndex(), 0);
  ASSERT_TRUE(tick());
  EXPECT_EQ(lastLoaded(), "C:\\Saver\\p0.jpg");
}

TEST_F(PictureStep, KeyPressDuringTheSoundEndsBeforeThePictureIsDrawn) {
  addPicture("1.jpg", 10, 10);
  start();
  tk_.application.post([this] { tk_.lastWindow->pressKey('x'); });
  EXPECT_FALSE(tick());
  EXPECT_EQ(tk_.soundOutput.requests.size(), 1u);
  EXPECT_TRUE(tk_.lastWindow->drawn.empty());
}

TEST_F(PictureStep, SixthMouseMoveDuringTheSoundEndsTooShowingTheCursor) {
  addPicture("1.jpg", 10, 10);
  start();
  for (int i = 0; i < 5; ++i) tk_.lastWindow->moveMouse();
  tk_.application.post([this] { tk_.lastWindow->moveMouse(); });
  EXPECT_FALSE(tick());
  EXPECT_TRUE(tk_.lastWindow->drawn.empty());
  EXPECT_EQ(tk_.application.cursorCounter, 0);
}

}  // namespace
}  // namespace qm

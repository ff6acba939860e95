// Start-up, mode selection and the exits of the show window.
#include <gtest/gtest.h>

#include "app/slide.h"
#include "tests/fake/fake_toolkit.h"
#include "toolkit/failure.h"
#include "toolkit/int16.h"

namespace qm {
namespace {

using fake::FakeToolkit;
using fake::ProgramEnded;

struct Started {
  std::unique_ptr<Slide> slide;
  bool ended = false;
  int settingShown = 0;
};

Started start(FakeToolkit& tk, const std::string& arguments) {
  tk.application.arguments = arguments;
  Started result;
  result.slide = std::make_unique<Slide>(tk, [&result] { ++result.settingShown; });
  try {
    startProgram(tk, *result.slide);
  } catch (const ProgramEnded&) {
    result.ended = true;
  }
  return result;
}

enum class Mode { kShow, kPreview, kConfigure };

struct ModeCase {
  const char* arguments;
  Mode mode;
};

class ModeSelection : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ModeSelection, FirstTwoCharactersInAnyCaseChooseTheMode) {
  FakeToolkit tk;
  Started run = start(tk, GetParam().arguments);
  switch (GetParam().mode) {
    case Mode::kShow:
      ASSERT_FALSE(run.ended);
      EXPECT_TRUE(tk.lastWindow->visible);
      EXPECT_EQ(tk.application.cursorCounter, -1);
      EXPECT_EQ(run.slide->cursorShowCount(), -1);
      EXPECT_TRUE(run.slide->timer2().enabled());
      EXPECT_EQ(run.settingShown, 0);
      break;
    case Mode::kPreview:
      EXPECT_TRUE(run.ended);
      EXPECT_EQ(tk.windowShows, 0);
      EXPECT_EQ(tk.application.cursorCounter, 0);
      EXPECT_EQ(run.settingShown, 0);
      break;
    case Mode::kConfigure:
      ASSERT_FALSE(run.ended);
      EXPECT_EQ(tk.lastWindow->shows, 0);
      EXPECT_EQ(tk.application.cursorCounter, 0);
      EXPECT_FALSE(run.slide->timer2().enabled());
      EXPECT_EQ(run.settingShown, 1);
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ModeSelection,
    ::testing::Values(ModeCase{"/s", Mode::kShow}, ModeCase{"/S", Mode::kShow},
                      ModeCase{"/s 123", Mode::kShow}, ModeCase{"/p", Mode::kPreview},
                      ModeCase{"/P 77", Mode::kPreview}, ModeCase{"/p77", Mode::kPreview},
                      ModeCase{"/c", Mode::kConfigure}, ModeCase{"/c:77", Mode::kConfigure},
                      ModeCase{"-s", Mode::kConfigure}, ModeCase{"", Mode::kConfigure},
                      ModeCase{"/", Mode::kConfigure}, ModeCase{"s/", Mode::kConfigure}));

TEST(StartUp, SecondInstanceEndsBeforeAnyModeIsChosen) {
  for (const char* arguments : {"/s", "/c", "/p", ""}) {
    FakeToolkit tk;
    tk.application.anotherCopyRuns = true;
    Started run = start(tk, arguments);
    EXPECT_TRUE(run.ended) << arguments;
    EXPECT_EQ(tk.windowShows, 0) << arguments;
    EXPECT_EQ(tk.application.cursorCounter, 0) << arguments;
    EXPECT_EQ(run.settingShown, 0) << arguments;
  }
}

TEST(StartUp, ShowWindowAsCreated) {
  FakeToolkit tk;
  Started run = start(tk, "/c");  // no activation, so nothing changes what was created
  Slide& slide = *run.slide;
  EXPECT_EQ(slide.window().backColor(), 0);
  EXPECT_EQ(slide.window().scaleWidth(), tk.display.width());
  EXPECT_EQ(slide.window().scaleHeight(), tk.display.height());
  EXPECT_TRUE(slide.timer1().enabled());
  EXPECT_EQ(slide.timer1().interval(), 0);
  EXPECT_EQ(slide.timer2().interval(), 50);
  EXPECT_EQ(slide.file1().pattern(), "*.bmp;*.jpg;*.gif");
  EXPECT_EQ(slide.mouseMoveCount(), 0);
  EXPECT_EQ(slide.pictureIndex(), 0);
  EXPECT_EQ(slide.currentPicture(), nullptr);
  ASSERT_EQ(tk.labels.size(), 3u);
  const float lefts[] = {-90, 1650, 7680}, tops[] = {10710, 810, 5100},
              points[] = {12, 12, 24};
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(slide.label1(i).visible());
    EXPECT_EQ(slide.label1(i).caption(), "Label1");
    EXPECT_EQ(slide.label1(i).left(), lefts[i]);
    EXPECT_EQ(slide.label1(i).top(), tops[i]);
    EXPECT_EQ(tk.labels[static_cast<size_t>(i)]->style.fontPoints, points[i]);
    EXPECT_EQ(tk.labels[static_cast<size_t>(i)]->style.colour, 255);
    EXPECT_EQ(tk.labels[static_cast<size_t>(i)]->style.fontName, "Times New Roman");
  }
}

TEST(StartUp, TimerAtIntervalZeroNeverTicks) {
  FakeToolkit tk;
  Started run = start(tk, "/c");
  ASSERT_TRUE(run.slide->timer1().enabled());
  EXPECT_FALSE(tk.timers.at(0)->fire());
}

class ShowExits : public ::testing::Test {
 protected:
  void SetUp() override {
    run_ = start(tk_, "/s");
    ASSERT_FALSE(run_.ended);
  }
  FakeToolkit tk_;
  Started run_;
};

TEST_F(ShowExits, FiveMouseMovesLeaveTheShowRunningTheSixthEndsIt) {
  for (int i = 0; i < 5; ++i) tk_.lastWindow->moveMouse();
  EXPECT_FALSE(tk_.application.ended);
  EXPECT_EQ(run_.slide->mouseMoveCount(), 5);
  EXPECT_EQ(tk_.application.cursorCounter, -1);

  EXPECT_THROW(tk_.lastWindow->moveMouse(), ProgramEnded);
  EXPECT_TRUE(tk_.lastWindow->unloaded);
  EXPECT_EQ(tk_.application.cursorCounter, 0) << "unload shows the cursor again";
  EXPECT_EQ(run_.slide->cursorShowCount(), 0);
}

TEST_F(ShowExits, AnyCharacterKeyEndsAtOnceWithoutUnload) {
  EXPECT_THROW(tk_.lastWindow->pressKey('a'), ProgramEnded);
  EXPECT_FALSE(tk_.lastWindow->unloaded);
  EXPECT_EQ(tk_.application.cursorCounter, -1) << "no unload, so the cursor stays hidden";
}

TEST_F(ShowExits, KeyPressDuringAYieldEndsInsideIt) {
  tk_.application.post([this] { tk_.lastWindow->pressKey(' '); });
  EXPECT_THROW(tk_.application.runPending(), ProgramEnded);
}

TEST(Dispatcher, ReportsCodeAndDescriptionThenEnds) {
  FakeToolkit tk;
  EXPECT_THROW(dispatchEvent(tk.application, [] { throw Failure(ErrorCode::kPathNotFound); }),
               ProgramEnded);
  ASSERT_EQ(tk.application.messageBoxes.size(), 1u);
  EXPECT_EQ(tk.application.messageBoxes[0].text, "Error 76: Path not found");
  EXPECT_EQ(tk.application.messageBoxes[0].title, "Quillmoor Screen Saver");
  EXPECT_EQ(tk.application.messageBoxes[0].style, kMessageExclamationOk);
}

TEST(Dispatcher, ForeignExceptionsAreReportedToo) {
  FakeToolkit tk;
  EXPECT_THROW(dispatchEvent(tk.application, [] { throw std::bad_alloc(); }), ProgramEnded);
  EXPECT_EQ(tk.application.messageBoxes.at(0).text, "Error 7: Out of memory");
}

TEST(Dispatcher, NoEventRunsWhileAFailureIsBeingReported) {
  FakeToolkit tk;
  int handled = 0;
  tk.application.markEndingOnFailure();
  dispatchEvent(tk.application, [&handled] { ++handled; });
  EXPECT_EQ(handled, 0);
}

TEST(Dispatcher, MouseMoveCountOverflowIsAFailureNotAWrap) {
  FakeToolkit tk;
  EXPECT_THROW(dispatchEvent(tk.application, [] { addInt16(INT16_MAX, 1); }), ProgramEnded);
  EXPECT_EQ(tk.application.messageBoxes.at(0).text, "Error 6: Overflow");
}

}  // namespace
}  // namespace qm

// The program on the fake toolkit (start-up, the picture step and its sound, the banner, the
// settings dialog), then the rules every toolkit shares: dispatcher, timer, file lists, numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "app/slide.h"
#include "banner/banner.h"
#include "settings/setting_dialog.h"
#include "show/step_runner.h"
#include "tests/fake/fake_toolkit.h"
#include "toolkit/convert.h"
#include "toolkit/int16.h"

namespace qm {
namespace {

// True when the program ended inside the event.
bool ends(const std::function<void()>& event) {
  try {
    event();
  } catch (const ProgramEnded&) {
    return true;
  }
  return false;
}

// The program as Windows runs it; each call is true when the program ended in it.
class Run : public ::testing::Test {
 protected:
  bool start(const std::string& arguments) {
    tk.application.arguments = arguments;
    slide = std::make_unique<Slide>(tk, [this] {
      setting = std::make_unique<Setting>(tk);
      setting->show();
    });
    return ends([this] { startProgram(tk, *slide); });
  }
  // An action of the user or the system, delivered through the dispatcher as the loop does.
  bool user(const std::function<void()>& action) {
    return ends([&] { dispatchEvent(tk.application, action); });
  }
  // One tick of Timer1 (0) or Timer2 (1) as the loop delivers it.
  bool tick(int timer) {
    return ends([&] { static_cast<TimerRule&>(timer ? slide->timer2() : slide->timer1()).tick(); });
  }

  FakeToolkit tk;
  std::unique_ptr<Slide> slide;
  std::unique_ptr<Setting> setting;

  // Files in the executable's folder, sizes in pixels at 96 DPI reported in HIMETRIC as the
  // loader does; a file 0 wide is no picture the loader can read. Then the show starts on them.
  struct File {
    std::string name;
    int width = 10, height = 10;
  };
  void startShow(const std::vector<File>& files) {
    for (const File& f : files) {
      tk.folders["C:\\Saver"].push_back(f.name);
      tk.loader.pictures["C:\\Saver\\" + f.name] = {himetric(f.width), himetric(f.height)};
      if (!f.width) tk.loader.failures["C:\\Saver\\" + f.name] = ErrorCode::kInvalidPicture;
    }
    tk.sounds.resources[7] = std::vector<uint8_t>(3128, 0x80);
    EXPECT_FALSE(start("/s"));
  }
  static int32_t himetric(int pixels) { return std::lround(pixels * 2540.0 / 96); }
  static std::vector<std::string> paths(std::vector<std::string> names) {
    for (std::string& name : names) name.insert(0, "C:\\Saver\\");
    return names;
  }
  // Runs the next ticks of the slide timer: after each, the width in pixels of the one picture
  // on the window (0: none; below 0: more than one).
  std::vector<long> ticks(int count) {
    std::vector<long> widths;
    for (const auto& drawn = tk.lastWindow->drawn; count-- > 0;) {
      EXPECT_FALSE(tick(0));
      widths.push_back(drawn.size() == 2 ? std::lround(drawn[1].width / 15) : -long(drawn.size()));
    }
    return widths;
  }
  // The banner's labels: shown, caption, left and top.
  using LabelState = std::tuple<bool, std::string, float, float>;
  static LabelState state(const Label& l) { return {l.visible(), l.caption(), l.left(), l.top()}; }
  std::vector<LabelState> labels() {
    return {state(slide->label1(0)), state(slide->label1(1)), state(slide->label1(2))};
  }
  // The labels after a tick of the banner timer at the hour.
  std::vector<LabelState> bannerAt(int hour) {
    tk.application.hour = hour;
    EXPECT_FALSE(tick(1));
    return labels();
  }
};

template <class Fixture, class Row>
class WithRows : public Fixture, public ::testing::WithParamInterface<Row> {};

enum Mode { kShow, kConfigure, kEnd };
// The command line, whether another copy runs, and the mode chosen.
using ModeSelection = WithRows<Run, std::tuple<const char*, bool, Mode>>;
const ModeSelection::ParamType kModes[] = {{"/s", false, kShow},         {"/S 123", false, kShow},
                                           {"/p", false, kEnd},          {"/P77", false, kEnd},
                                           {"/c:77", false, kConfigure}, {"-s", false, kConfigure},
                                           {"", false, kConfigure},      {"/", false, kConfigure},
                                           {"/s", true, kEnd},           {"/c", true, kEnd}};

// Behind the dialog the hidden show window's slide timer never ticks: its Interval stays 0.
TEST_P(ModeSelection, FirstTwoCharactersInAnyCaseChooseOnceNoOtherCopyRuns) {
  const auto& [arguments, anotherCopyRuns, mode] = GetParam();
  tk.application.anotherCopyRuns = anotherCopyRuns;
  const bool ended = start(arguments), show = mode == kShow;
  EXPECT_EQ(std::tuple(ended, tk.lastWindow->visible, tk.application.cursorCounter,
                       slide->timer1().interval() > 0, slide->timer2().enabled(),
                       slide->timer2().interval(), setting != nullptr),
            std::tuple(mode == kEnd, show, show ? -1 : 0, show, show, 50, mode == kConfigure));
}
INSTANTIATE_TEST_SUITE_P(CommandLines, ModeSelection, ::testing::ValuesIn(kModes));

// The stored path, background and time (null: not stored), the pictures in the folder beside a
// text file (0: no folder), then the background and the interval taken, or the failure reported
// before any slide tick.
using Stored =
    std::tuple<const char*, const char*, const char*, int, int32_t, int32_t, const char*>;
const Stored kStored[] = {
    {nullptr, nullptr, "soon", 100, 0, 5000, nullptr},  // only read above 100
    {nullptr, nullptr, "8", 101, 0, 8000, nullptr},
    {nullptr, nullptr, nullptr, 150, 0, 1000000, nullptr},  // "time" 1000 s
    {"E:\\Holiday", "16777215", nullptr, 2, 16777215, 5000, nullptr},
    {"Q:\\gone", nullptr, nullptr, 0, 0, 0, "Error 76: Path not found: Q:\\gone\\"},
    {nullptr, "white", nullptr, 3, 0, 0, "Error 13: Type mismatch: \"white\""},
    {nullptr, nullptr, "2147484", 101, 0, 0, "Error 6: Overflow"}};
using ShowSetUp = WithRows<Run, Stored>;

TEST_P(ShowSetUp, BackgroundFolderAndSlideIntervalFromTheSettingsElseAReportBeforeAnyTick) {
  const auto& [path, background, time, pictures, backColour, interval, report] = GetParam();
  const std::string folder = path ? path : "C:\\Saver";
  if (pictures) tk.folders[folder] = {"notes.txt"};
  for (int i = 0; i < pictures; ++i) tk.folders[folder].push_back("p" + std::to_string(i) + ".jpg");
  // In the letter case the dialog writes, not the one the show reads.
  if (path) tk.store.write("file", "Settings", "Path", folder + "\\");
  if (background) tk.store.write("file", "Settings", "background", background);
  if (time) tk.store.write("file", "settings", "time", time);
  EXPECT_EQ(start("/s"), report != nullptr);
  EXPECT_EQ(slide->timer1().interval(), interval);
  if (report)
    EXPECT_EQ(tk.application.messageBoxes,
              std::vector<std::string>{"Quillmoor Screen Saver|48|" + std::string(report)});
  else
    EXPECT_EQ(
        std::tuple(slide->window().backColor(), slide->file1().path(), slide->file1().listCount()),
        std::tuple(backColour, folder, pictures));
}
INSTANTIATE_TEST_SUITE_P(Settings, ShowSetUp, ::testing::ValuesIn(kStored));

TEST_F(Run, TheSixthMouseMoveUnloadsAndShowsTheCursor) {
  ASSERT_FALSE(start("/s"));
  std::vector<bool> ended;
  for (int i = 0; i < 6; ++i) ended.push_back(user(tk.lastWindow->events.mouseMove));
  EXPECT_EQ(ended, (std::vector<bool>{false, false, false, false, false, true}));
  EXPECT_EQ(std::tuple(tk.lastWindow->unloaded, tk.application.cursorCounter), std::tuple(true, 0));
}

// The picture's size in pixels, then where and at what size it is drawn, in twips, on a 1024 x 768
// screen (15360 x 11520).
using Fitting = WithRows<Run, std::tuple<int, int, long, long, long, long>>;
const Fitting::ParamType kGeometries[] = {
    {2048, 1000, 0, 2010, 15360, 7500},       // landscape twice as wide
    {600, 1536, 5430, 0, 4500, 11520},        // portrait taller
    {1100, 1100, -570, -2490, 16500, 16500},  // square wider than the screen, never scaled
    {1000, 900, 180, -990, 15000, 13500},     // landscape only too tall is not shrunk
    {1024, 768, 0, 0, 15360, 11520}};         // exactly the screen

// Drawn, told to the load, and asked for ahead for the screen of its step: one size.
TEST_P(Fitting, ShrinksByTheLongerSideOnlyCentresAndTellsTheLoaderTheDrawnSizeAhead) {
  const auto& [width, height, x, y, w, h] = GetParam();
  startShow({{"a.jpg", width, height}});
  ASSERT_FALSE(tick(0));
  std::vector<Extent> got = tk.lastWindow->drawn;  // where, then each size
  got.insert(got.end(), tk.loader.drawnSizes.begin(), tk.loader.drawnSizes.end());
  tk.application.widthPixels = 800;
  const Extent natural{himetricToTwips(himetric(width)), himetricToTwips(himetric(height))};
  for (const auto& drawnSize : tk.loader.preparedSizes) got.push_back(drawnSize(natural));
  std::vector<std::pair<long, long>> twips;
  for (const Extent& e : got) twips.push_back({std::lround(e.width), std::lround(e.height)});
  EXPECT_EQ(twips, (std::vector<std::pair<long, long>>{{x, y}, {w, h}, {w, h}, {w, h}, {w, h}}));
}
INSTANTIATE_TEST_SUITE_P(Pictures, Fitting, ::testing::ValuesIn(kGeometries));

// Activation and each step ask for the entry the next step loads, so it is decoded ahead. The
// activation's re-listing keeps the index: past the end of a shrunk list it names no file.
TEST_F(Run, PictureStepFilesShowInNaturalOrderAndWrapAlsoFromPastTheEndOfAShrunkList) {
  startShow({{"b.jpg"}, {"a.gif"}, {"c.bmp"}, {"e.jpg"}, {"d.bmp"}, {"f.gif"}});
  ticks(5);
  tk.folders["C:\\Saver"].resize(3);  // a, b and c stay
  ASSERT_FALSE(user(tk.lastWindow->events.activate));
  ticks(5);
  EXPECT_EQ(tk.loader.loads, paths({"a.gif", "b.jpg", "c.bmp", "d.bmp", "e.jpg", "", "a.gif",
                                    "b.jpg", "c.bmp", "a.gif"}));
  EXPECT_EQ(tk.loader.prepared, paths({"a.gif", "b.jpg", "c.bmp", "d.bmp", "e.jpg", "f.gif", "",
                                       "a.gif", "b.jpg", "c.bmp", "a.gif", "b.jpg"}));
}

TEST_F(Run, PictureStepABadFileIsSkippedStatementByStatementAndCostsOneTick) {
  startShow({{"0.jpg", 0}, {"1.jpg", 640, 400}, {"2.jpg", 0}, {"3.jpg"}});
  // Nothing loaded yet at the first tick, the previous picture again at the third; every tick
  // plays sound 7 (the one resource there is) and clears.
  EXPECT_EQ(ticks(4), (std::vector<long>{0, 640, 640, 10}));
  EXPECT_EQ(std::tuple(tk.sounds.requests.size(), tk.lastWindow->clears), std::tuple(4u, 4));
  EXPECT_EQ(tk.loader.loads, paths({"0.jpg", "1.jpg", "2.jpg", "3.jpg"}));
  EXPECT_EQ(tk.loader.prepared, paths({"0.jpg", "1.jpg", "2.jpg", "3.jpg", "0.jpg"}));
  EXPECT_TRUE(tk.application.messageBoxes.empty());
}

TEST_F(Run, PictureStepMissingFolderShowsItsMessageAndEndsBeforeTheSound) {
  startShow({{"1.jpg"}});
  tk.loader.failures["C:\\Saver\\1.jpg"] = ErrorCode::kPathNotFound;  // folder removed
  ASSERT_TRUE(tick(0));
  EXPECT_EQ(tk.application.messageBoxes,
            std::vector<std::string>{"No Directory Exists!|48|The directory path does not exist! "
                                     "Create a directory with graphics first."});
  EXPECT_EQ(tk.application.cursorAtBoxes, std::vector<int>{0}) << "OK cannot be aimed at";
  EXPECT_TRUE(tk.sounds.requests.empty());
}

TEST_F(Run, PictureStepKeyPressDuringTheSoundEndsBeforeThePictureIsDrawn) {
  startShow({{"1.jpg"}});
  tk.application.pending.push_back([this] { tk.lastWindow->events.keyPress('x'); });
  EXPECT_TRUE(tick(0));
  EXPECT_EQ(std::tuple(tk.sounds.requests.size(), tk.lastWindow->drawn.size()), std::tuple(1u, 0u));
}

// No condition of the step fails today; the rule holds for the next one written.
TEST(StepRunner, AConditionThatFailsCountsAsTrue) {
  StepRunner step([] {});
  EXPECT_TRUE(step.test([]() -> bool { throw Failure(ErrorCode::kOverflow); }));
  EXPECT_FALSE(step.test([] { return false; }));
  EXPECT_EQ(step.failures(), 1);
}

// Neither failure is 76, which the picture step takes for a missing folder.
TEST_F(Run, PlaySoundHandsOnItsOwnBufferKeepsThePlayingImageAndFailsInOrder) {
  const std::vector<uint8_t> seven(3128, 0x80), five(452, 0x7F);
  tk.sounds.resources = {{7, seven}, {5, five}};
  Module1 module(tk);
  auto play = [&](int16_t id) {  // its failure, and the buffer it leaves (none before the first)
    const int error = errorOf([&] { module.PlayResourceSound(id); });
    return std::tuple(error,
                      module.soundBuffer() ? std::optional(*module.soundBuffer()) : std::nullopt);
  };
  const int missing = 326, unbound = 453;  // the fake's own failures, handed on
  EXPECT_EQ(play(8), std::tuple(missing, std::nullopt));
  EXPECT_EQ(play(7), std::tuple(0, seven));
  const uint8_t* playing = module.soundBuffer()->data();
  EXPECT_EQ(tk.sounds.requests, (std::vector<std::pair<const uint8_t*, uint32_t>>{{playing, 23u}}));
  tk.sounds.refuses = true;  // sound 7 still playing: the platform may still read it
  EXPECT_EQ(play(5), std::tuple(0, five));
  EXPECT_EQ(tk.application.doEventsCalls, 2) << "a refused sound yields too";
  EXPECT_EQ(std::tuple(module.playingImage()->data(), *module.playingImage()),
            std::tuple(playing, seven));
  // A missing sound fails before the buffer changes, a failed binding after it.
  EXPECT_EQ(play(8), std::tuple(missing, five));
  EXPECT_EQ(tk.sounds.requests.size(), 2u);
  tk.sounds.bindingFails = true;
  EXPECT_EQ(play(7), std::tuple(unbound, seven));
}

// The hour, label 1's line and label 2's (null: it keeps its created caption and stays hidden).
const std::tuple<int, const char*, const char*> kGreetings[] = {
    {8, "Good Morning!!", nullptr},
    {10, "How's everything , now the time is between 10 to 11 am !!", nullptr},
    {12, "It's lunch time , enjoy your Meal!!", nullptr},
    {17, "It's about to go back , work hard everday !!!!", "Hurray , times to go back !!"}};

// A tick moves all three 20 twips on from where they were created (-90, 1650, 7680), shown or
// not, then yields; other hours hide and freeze them; the captions a greeting does not set stay.
TEST_F(Run, BannerGreetingHoursShowTheirLinesMoveAllThreeAndYieldOtherHoursHideAndFreezeThem) {
  ASSERT_FALSE(start("/s"));
  float moved = 0;
  for (const auto& [hour, line1, line2] : kGreetings) {
    std::vector<LabelState> seen;
    tk.application.pending.push_back([&] { seen = labels(); });
    moved += 20;
    EXPECT_EQ(
        bannerAt(hour),
        (std::vector<LabelState>{{true, kCreditText, -90 + moved, 10710},
                                 {true, line1, 1650 + moved, 420},
                                 {line2 != nullptr, line2 ? line2 : "Label1", 7680 + moved, 5100}}))
        << hour;
    EXPECT_EQ(seen, labels()) << hour;
  }
  std::vector<LabelState> hidden = labels();
  for (auto& label : hidden) std::get<0>(label) = false;
  const int yields = tk.application.doEventsCalls;
  for (int hour : {0, 7, 9, 11, 13, 16, 18, 23}) EXPECT_EQ(bannerAt(hour), hidden) << hour;
  EXPECT_EQ(tk.application.doEventsCalls, yields);
  EXPECT_EQ(bannerAt(10),
            (std::vector<LabelState>{{true, kCreditText, -90 + 100, 10710},
                                     {true, std::get<1>(kGreetings[1]), 1650 + 100, 420},
                                     {false, std::get<2>(kGreetings[3]), 7680 + 100, 5100}}));
}

TEST_F(Run, BannerRightEdgeAndBottomAreReadAtEachTickAndOnlyBeyondTheEdgeSendsALineBack) {
  ASSERT_FALSE(start("/s"));
  const float width = slide->window().scaleWidth();
  slide->label1(0).setLeft(width);         // on the edge: moves on
  slide->label1(1).setLeft(width + 0.5f);  // beyond: back to 200, then on to 220
  slide->label1(2).setLeft(width - 10);
  EXPECT_EQ(bannerAt(8), (std::vector<LabelState>{{true, kCreditText, width + 20, 10710},
                                                  {true, "Good Morning!!", 220, 420},
                                                  {false, "Label1", width + 10, 5100}}));
  tk.application.heightPixels = 600;  // 9000 twips: label 1 above the top edge
  EXPECT_EQ(bannerAt(8), (std::vector<LabelState>{{true, kCreditText, 220, 10710},
                                                  {true, "Good Morning!!", 240, -2100},
                                                  {false, "Label1", 220, 5100}}));
}

class SettingDialog : public Run {
 protected:
  // Configuration mode, as Windows starts it with "/c", over stored settings it must not show.
  void SetUp() override {
    tk.folders["C:\\Saver"] = {"sunset.jpg", "notes.txt"};
    tk.folders["C:\\Pictures"] = {"a.bmp", "b.gif"};
    tk.folders["C:\\Other kinds"] = {"song.mp3", "shot.png"};
    tk.folders["C:\\Metafile"] = {"drawing.wmf"};
    tk.folders["D:\\"] = {"root.jpg"};
    tk.store.values = {{"file/settings/time", "30"}, {"file/settings/background", "16777215"}};
    ASSERT_FALSE(start("/c"));
  }
  // Clicks Command1 (0, "Change Path") or Command2 (1, "Cancel"); true when the program ended.
  bool click(size_t button) {
    return user([&] { tk.buttons.at(button)->click(); });
  }
};

// A drive chosen ("D:") or a folder opened in the lists ("" for neither); the time typed into
// Text2, written as typed ("" for none, which writes its "8"); the check box; the path then
// written, where a drive's root keeps its one separator.
using ChangePath = WithRows<SettingDialog, std::tuple<const char*, const char*, int, const char*>>;
const ChangePath::ParamType kChoices[] = {{"", "", 0, "C:\\Saver\\"},
                                          {"C:\\Pictures", " 12x", 1, "C:\\Pictures\\"},
                                          {"D:", "", 0, "D:\\"},
                                          {"C:\\Metafile", "", 0, "C:\\Metafile\\"}};

TEST_P(ChangePath, WritesFolderTimeAndBackgroundInOrderThenEnds) {
  const auto& [where, time, check, path] = GetParam();
  ASSERT_FALSE(user([&, where = std::string(where)] {  // a drive chosen, or a folder opened
    if (where.size() == 2) setting->drive1().setDrive(where);
    if (where.size() > 2) setting->dir1().setPath(where);
  }));
  if (*time) setting->text2().setText(time);
  setting->check1().setValue(check);
  EXPECT_TRUE(click(0));
  EXPECT_EQ(tk.store.writes,
            (std::vector<std::string>{
                "file/Settings/Path=" + std::string(path),
                "file/settings/time=" + std::string(*time ? time : "8"),
                "file/Settings/background=" + std::string(check ? "16777215" : "0")}));
  EXPECT_TRUE(tk.lastDialog->unloaded);
}
INSTANTIATE_TEST_SUITE_P(Choices, ChangePath, ::testing::ValuesIn(kChoices));

TEST_F(SettingDialog, FolderWithoutPicturesIsRefusedAndTheDialogStays) {
  ASSERT_FALSE(user([this] { setting->dir1().setPath("C:\\Other kinds"); }));
  EXPECT_FALSE(click(0));
  EXPECT_EQ(tk.application.messageBoxes,
            std::vector<std::string>{"No Graphics!|48|No Graphics in this directory to display!"});
  EXPECT_TRUE(tk.store.writes.empty());
  // The next click starts afresh from the folder shown now.
  ASSERT_FALSE(user([this] { setting->dir1().setPath("C:\\Pictures"); }));
  EXPECT_TRUE(click(0));
  EXPECT_EQ(tk.store.writes.at(0), "file/Settings/Path=C:\\Pictures\\");
}

using NoFolder = WithRows<SettingDialog, const char*>;

// Empty text becomes "\", which names no folder; a folder may also go before the click.
TEST_P(NoFolder, ReachesTheDispatcherBeforeAnyWrite) {
  setting->text1().setText(GetParam());
  EXPECT_TRUE(click(0));
  EXPECT_TRUE(tk.store.writes.empty());
  EXPECT_EQ(tk.application.messageBoxes,
            std::vector<std::string>{"Quillmoor Screen Saver|48|Error 76: Path not found: " +
                                     std::string(GetParam()) + "\\"});
}
INSTANTIATE_TEST_SUITE_P(Texts, NoFolder, ::testing::Values("", "C:\\Gone"));

TEST_F(SettingDialog, CancelWritesNothingAndEnds) {
  setting->check1().setValue(1);
  EXPECT_TRUE(click(1));
  EXPECT_TRUE(tk.store.writes.empty());
}

TEST_F(SettingDialog, ClosedByTheUserItWritesNothingAndEnds) {
  EXPECT_TRUE(user([&] { setting->dialog().unload(); }));
  EXPECT_TRUE(tk.store.writes.empty());
}

std::string repeated(const std::string& text, int times) {
  return times > 0 ? text + repeated(text, times - 1) : "";
}

TEST(Dispatcher, ReportsWhatAHandlerThrowsThenEndsAndRunsNoFurtherEvent) {
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[] { throw Failure(ErrorCode::kPathNotFound); }, "Error 76: Path not found"},
      {[] { addInt16(INT16_MAX, 1); }, "Error 6: Overflow"},
      {[] { throw std::bad_alloc(); }, "Error 7: Out of memory"},
      {[] { throw std::runtime_error("disk gone"); }, "Error 5: disk gone"},
      {[] { throw 3; }, "Error 5: Invalid procedure call"},
      // A long path gives way in the middle, never inside a character, and is broken into lines
      // of 64 characters, so the box fits a screen.
      {[] { throw Failure(ErrorCode::kInvalidPicture, repeated("a", 200)); },
       "Error 481: Invalid picture: " + repeated(repeated("a", 64) + "\n", 3) + repeated("a", 8)},
      {[] { throw Failure(ErrorCode::kFileNotFound, "C:\\" + std::string(300, 'x') + "\\e.jpg"); },
       "Error 53: File not found: C:\\" + repeated("x", 61) + "\n" + repeated("x", 34) + "..." +
           repeated("x", 27) + "\n" + repeated("x", 64) + "\n" + repeated("x", 2) + "\\e.jpg"},
      {[] { throw Failure(ErrorCode::kFileNotFound, "a b " + repeated("\xC3\xA9", 150)); },
       "Error 53: File not found: a b " + repeated("\xC3\xA9", 47) + "..." +
           repeated("\xC3\xA9", 14) + "\n" + repeated("\xC3\xA9", 35)},
  };
  for (const auto& [handler, report] : cases) {
    FakeApplication app;
    const bool ended = ends([&, &handler = handler] { dispatchEvent(app, handler); });
    bool handled = false;  // say a timer ticking under the report
    dispatchEvent(app, [&handled] { handled = true; });
    EXPECT_EQ(
        std::tuple(ended, app.messageBoxes, handled),
        std::tuple(true, std::vector<std::string>{"Quillmoor Screen Saver|48|" + report}, false));
  }
}

TEST(Timer, TicksOnlyWhileEnabledAtANonZeroIntervalAndNeverInsideItsOwnTick) {
  FakeApplication app;
  TimerRule timer(app);
  int ticks = 0;
  bool nested = true;
  timer.setTick([&] {
    if (++ticks == 1) nested = timer.tick();  // as a nested message pump would deliver it
  });
  EXPECT_FALSE(timer.tick()) << "created disabled at Interval 0";
  timer.setEnabled(true);
  EXPECT_FALSE(timer.tick()) << "Interval 0";
  timer.setInterval(0x7FFFFFFF);
  EXPECT_TRUE(timer.tick());
  EXPECT_FALSE(nested);
  timer.setEnabled(false);
  EXPECT_FALSE(timer.tick());
  EXPECT_EQ(errorOf([&] { timer.setInterval(-1); }), 380);
  EXPECT_EQ(timer.interval(), 0x7FFFFFFF);
}

TEST(Pattern, LongNameAgainstEachWildcardIgnoringCase) {
  for (const char* name : {"a.jpg", "A.JPG", "photo.Bmp", "x.gif", ".gif", "a.b.jpg"})
    EXPECT_TRUE(matchesPattern(name, "*.bmp;*.jpg;*.gif")) << name;
  for (const char* name : {"a.jpgx", "a.jpeg", "a.wmf", "ajpg", "a.jpg.txt", ""})
    EXPECT_FALSE(matchesPattern(name, "*.bmp;*.jpg;*.gif")) << name;
  EXPECT_TRUE(matchesPattern("a.jpg", "*.jpg*")) << "a star at the end matches nothing too";
  EXPECT_FALSE(matchesPattern("b.jpg", "a*"));
}

TEST(NaturalOrder, DigitRunsCompareAsNumbersCaseIsIgnoredAndTheFirst32767Stay) {
  const std::vector<std::string> ordered = {"A.bmp",     "b.gif",      "img1.jpg",  "IMG2.jpg",
                                            "img2a.jpg", "img02b.jpg", "img10.jpg", "imgA.jpg"};
  std::vector<std::string> names = ordered;
  std::mt19937 random(7);
  for (int round = 0; round < 5; ++round) {
    std::shuffle(names.begin(), names.end(), random);
    orderForList(names);
    EXPECT_EQ(names, ordered);
  }
  EXPECT_TRUE(naturalLess("a99999999999999999999.jpg", "a100000000000000000000.jpg"));
  EXPECT_FALSE(naturalLess("a100000000000000000000.jpg", "a99999999999999999999.jpg"));
  EXPECT_TRUE(naturalLess("B.gif", "b.gif")) << "equal but for case: a total order still";
  EXPECT_FALSE(naturalLess("b.gif", "b.gif")) << "nor before itself";
  EXPECT_TRUE(naturalLess("b", "B1")) << "the shorter first, whatever the case";
  names.clear();
  for (int i = 40000; i > 0; --i) names.push_back("p" + std::to_string(i) + ".jpg");
  orderForList(names);
  ASSERT_EQ(names.size(), 32767u);
  EXPECT_EQ(names.back(), "p32767.jpg");
}

TEST(ToInt32, DecimalsWithBlanksSignAndHalfToEvenElseTypeMismatchOrOverflow) {
  const std::pair<const char*, int32_t> values[] = {
      {" 8 ", 8},     {"-3", -3},  {"+7", 7},  {"2.5", 2}, {"3.5", 4}, {"-2.5", -2},
      {"2.50001", 3}, {"2.50", 2}, {"2.6", 3}, {"0.4", 0}, {".5", 0},  {"5.", 5},
  };
  EXPECT_EQ(toInt32("2147483647"), INT32_MAX);
  EXPECT_EQ(toInt32("-2147483648"), INT32_MIN);
  for (const auto& [text, value] : values) EXPECT_EQ(toInt32(text), value) << text;
  for (const char* text : {"abc", "", "  ", "-", "1 2", "8s", "1e3", "0x10", "--1", ".", "2.5x"})
    EXPECT_EQ(errorOf([&] { toInt32(text); }), 13) << text;
  for (const char* text : {"2147483648", "-2147483649", "2147483647.5", "99999999999999999999"})
    EXPECT_EQ(errorOf([&] { toInt32(text); }), 6) << text;
}

}  // namespace
}  // namespace qm

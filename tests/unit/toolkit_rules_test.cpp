// The rules every toolkit shares: dispatcher, timer, file-list names and order, text to number.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/fake/fake_toolkit.h"
#include "toolkit/convert.h"
#include "toolkit/file_names.h"
#include "toolkit/int16.h"
#include "toolkit/timer_rule.h"

namespace qm {
namespace {

std::string repeated(const std::string& text, int times) {
  return times > 0 ? text + repeated(text, times - 1) : "";
}

TEST(Dispatcher, ReportsWhatAHandlerThrowsThenEndsAndRunsNoFurtherEvent) {
  const struct {
    std::function<void()> handler;
    std::string report;
  } cases[] = {
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
  for (const auto& c : cases) {
    fake::FakeApplication app;
    const bool ended = ends([&] { dispatchEvent(app, c.handler); });
    bool handled = false;  // say a timer ticking under the report
    dispatchEvent(app, [&handled] { handled = true; });
    EXPECT_EQ(
        std::tuple(ended, app.messageBoxes, handled),
        std::tuple(true, std::vector<std::string>{"Quillmoor Screen Saver|48|" + c.report}, false));
  }
}

TEST(Timer, TicksOnlyWhileEnabledAtANonZeroIntervalAndNeverInsideItsOwnTick) {
  fake::FakeApplication app;
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
  std::vector<std::string> names = {"img10.jpg", "IMG2.jpg",   "img1.jpg", "b.gif",
                                    "A.bmp",     "img02b.jpg", "img2a.jpg"};
  std::mt19937 random(7);
  for (int round = 0; round < 5; ++round) {
    std::shuffle(names.begin(), names.end(), random);
    orderForList(names);
    EXPECT_EQ(names, (std::vector<std::string>{"A.bmp", "b.gif", "img1.jpg", "IMG2.jpg",
                                               "img2a.jpg", "img02b.jpg", "img10.jpg"}));
  }
  EXPECT_TRUE(naturalLess("a99999999999999999999.jpg", "a100000000000000000000.jpg"));
  EXPECT_FALSE(naturalLess("a100000000000000000000.jpg", "a99999999999999999999.jpg"));
  EXPECT_TRUE(naturalLess("B.gif", "b.gif")) << "equal but for case: a total order still";
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

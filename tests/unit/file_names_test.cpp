// Which names a file list admits and in which order it shows them.
#include "toolkit/file_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace qm {
namespace {

struct PatternCase {
  const char* name;
  const char* pattern;
  bool admitted;
};

TEST(Pattern, LongNameAgainstEachWildcardIgnoringCase) {
  const char* show = "*.bmp;*.jpg;*.gif";
  const PatternCase cases[] = {{"a.jpg", show, true},
                               {"A.JPG", show, true},
                               {"photo.Bmp", show, true},
                               {"x.gif", show, true},
                               {".gif", show, true},
                               {"a.b.jpg", show, true},
                               {"a.jpgx", show, false},
                               {"a.jpeg", show, false},
                               {"a.wmf", show, false},
                               {"ajpg", show, false},
                               {"a.jpg.txt", show, false},
                               {"", show, false},
                               {"img1.png", "img?.png", true},
                               {"img12.png", "img?.png", false},
                               {"a.wmf", "*.jpg; *.wmf", true},
                               {"a.jpg", "", false}};
  for (const PatternCase& c : cases)
    EXPECT_EQ(matchesPattern(c.name, c.pattern), c.admitted) << c.name << " " << c.pattern;
}

TEST(NaturalOrder, DigitRunsCompareAsNumbersAndCaseIsIgnored) {
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
}

TEST(NaturalOrder, ListKeepsTheFirst32767) {
  std::vector<std::string> names;
  for (int i = 40000; i > 0; --i) names.push_back("p" + std::to_string(i) + ".jpg");
  orderForList(names);
  ASSERT_EQ(names.size(), 32767u);
  EXPECT_EQ(names.front(), "p1.jpg");
  EXPECT_EQ(names.back(), "p32767.jpg");
}

}  // namespace
}  // namespace qm

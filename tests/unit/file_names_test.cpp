// Which names a file list admits and in which order it shows them.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "toolkit/file_names.h"

namespace qm {
namespace {

struct PatternCase {
  const char* name;
  bool admitted;
};

class ShowPattern : public ::testing::TestWithParam<PatternCase> {};

TEST_P(ShowPattern, LongNameAgainstEachWildcardIgnoringCase) {
  EXPECT_EQ(matchesPattern(GetParam().name, "*.bmp;*.jpg;*.gif"), GetParam().admitted)
      << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, ShowPattern,
    ::testing::Values(PatternCase{"a.jpg", true}, PatternCase{"A.JPG", true},
                      PatternCase{"photo.Bmp", true}, PatternCase{"x.gif", true},
                      PatternCase{".gif", true}, PatternCase{"a.b.jpg", true},
                      PatternCase{"a.jpgx", false}, PatternCase{"a.jpeg", false},
                      PatternCase{"a.wmf", false}, PatternCase{"ajpg", false},
                      PatternCase{"a.jpg.txt", false}, PatternCase{"", false}));

TEST(Pattern, QuestionMarkAndBlanksAroundWildcards) {
  EXPECT_TRUE(matchesPattern("img1.png", "img?.png"));
  EXPECT_FALSE(matchesPattern("img12.png", "img?.png"));
  EXPECT_TRUE(matchesPattern("a.wmf", "*.jpg; *.wmf"));
  EXPECT_FALSE(matchesPattern("a.jpg", ""));
}

TEST(NaturalOrder, DigitRunsCompareAsNumbersAndCaseIsIgnored) {
  std::vector<std::string> names = {"img10.jpg", "IMG2.jpg", "img1.jpg", "b.gif",
                                    "A.bmp",     "img02b.jpg", "img2a.jpg"};
  std::vector<std::string> shuffled = names;
  std::mt19937 random(7);
  for (int round = 0; round < 5; ++round) {
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    orderForList(shuffled);
    EXPECT_EQ(shuffled, (std::vector<std::string>{"A.bmp", "b.gif", "img1.jpg", "IMG2.jpg",
                                                  "img2a.jpg", "img02b.jpg", "img10.jpg"}));
  }
}

TEST(NaturalOrder, LongNumbersDoNotOverflow) {
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

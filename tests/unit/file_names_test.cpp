// Which names a file list admits and in which order it shows them.
#include "toolkit/file_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace qm {
namespace {

TEST(Pattern, LongNameAgainstEachWildcardIgnoringCase) {
  for (const char* name : {"a.jpg", "A.JPG", "photo.Bmp", "x.gif", ".gif", "a.b.jpg"})
    EXPECT_TRUE(matchesPattern(name, "*.bmp;*.jpg;*.gif")) << name;
  for (const char* name : {"a.jpgx", "a.jpeg", "a.wmf", "ajpg", "a.jpg.txt", ""})
    EXPECT_FALSE(matchesPattern(name, "*.bmp;*.jpg;*.gif")) << name;
  EXPECT_TRUE(matchesPattern("img1.png", "img?.png"));
  EXPECT_FALSE(matchesPattern("img12.png", "img?.png"));
  EXPECT_TRUE(matchesPattern("a.wmf", "*.jpg; *.wmf"));
  EXPECT_FALSE(matchesPattern("a.jpg", ""));
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
  names.clear();
  for (int i = 40000; i > 0; --i) names.push_back("p" + std::to_string(i) + ".jpg");
  orderForList(names);
  ASSERT_EQ(names.size(), 32767u);
  EXPECT_EQ(names.back(), "p32767.jpg");
}

}  // namespace
}  // namespace qm

// The picture step tells the loader which picture the next step will load, and for which size,
// so that it can be decoded while the show waits.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/unit/program.h"

namespace qm {
namespace {

int32_t himetric(int pixels) { return static_cast<int32_t>(std::lround(pixels * 2540.0 / 96)); }

class NextPicture : public ::testing::Test, public Program {
 protected:
  void add(const std::string& name, int widthPixels, int heightPixels) {
    tk.folders["C:\\Saver"].push_back(name);
    tk.loader.pictures["C:\\Saver\\" + name] = {himetric(widthPixels), himetric(heightPixels)};
  }
  void startShow() {
    tk.resourceReader.sounds[7] = std::vector<uint8_t>(3128, 0x80);
    EXPECT_FALSE(start("/s"));
  }
  const auto& preparations() const { return tk.loader.preparations; }
};

TEST_F(NextPicture, ActivationAndEachStepAskForTheEntryTheNextStepLoads) {
  add("1.jpg", 640, 400);
  add("2.jpg", 300, 500);
  tk.folders["C:\\Saver"].push_back("3.jpg");
  tk.loader.failures["C:\\Saver\\3.jpg"] = ErrorCode::kInvalidPicture;
  startShow();
  ASSERT_EQ(preparations().size(), 1u) << "the first tick's picture, at activation";
  EXPECT_TRUE(tk.loader.loads.empty());
  for (int i = 0; i < 5; ++i) ASSERT_FALSE(tick(0));
  ASSERT_EQ(preparations().size(), 6u);
  // The one asked for before each load is the one loaded, the wrap and a failed load included.
  for (size_t i = 0; i < tk.loader.loads.size(); ++i)
    EXPECT_EQ(preparations()[i].path, tk.loader.loads[i]) << "step " << i;
  EXPECT_EQ(preparations()[3].path, "C:\\Saver\\1.jpg") << "after the last entry, the first";
}

TEST_F(NextPicture, ThePreparedSizeIsTheSizeTheNextLoadIsToldAndDoesNotFollowTheScreenLater) {
  add("wide.jpg", 2048, 1000);
  add("tall.jpg", 600, 1536);
  startShow();
  ASSERT_FALSE(tick(0));  // loads tall.jpg (the list is sorted), prepares wide.jpg
  ASSERT_FALSE(tick(0));  // loads wide.jpg
  ASSERT_EQ(tk.loader.drawnSizes.size(), 2u);
  // The natural size in twips as the fake loader hands it to the load's drawnSize.
  const Extent natural{himetric(2048) * 1440.0f / 2540.0f, himetric(1000) * 1440.0f / 2540.0f};
  const Extent loaded = tk.loader.drawnSizes[1];
  const Extent prepared = preparations()[1].drawnSize(natural);
  EXPECT_EQ(prepared.width, loaded.width);
  EXPECT_EQ(prepared.height, loaded.height);

  // The size was taken for the screen of that step: a worker calling it later, on its own
  // thread, neither reads the screen nor sees it change.
  tk.display.widthPixels = 800;
  const Extent later = preparations()[1].drawnSize(natural);
  EXPECT_EQ(later.width, prepared.width);
  EXPECT_EQ(later.height, prepared.height);
}

}  // namespace
}  // namespace qm

// Playing a sound resource: the order of its steps and what each failure leaves behind.
#include "sound/sound.h"

#include <gtest/gtest.h>

#include "tests/error_of.h"
#include "tests/fake/fake_toolkit.h"

namespace qm {
namespace {

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

#pragma once
// Sounds built into the executable, played from memory without waiting for them to end.
#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/toolkit.h"

namespace qm {

// Play from memory, return at once, no default sound, never interrupt a playing sound.
constexpr uint32_t kSoundFlags = 0x0001 | 0x0002 | 0x0004 | 0x0010;  // 23

class Module1 {
 public:
  explicit Module1(Toolkit& toolkit) : toolkit_(toolkit) {}

  // Reads "ATM_SOUND" resource id into SoundBuffer, starts it, then runs pending events.
  // A missing resource fails before SoundBuffer changes; a failed binding fails after it.
  void PlayResourceSound(int16_t id);

  // The image of the latest sound read, padding included; null before the first.
  const std::vector<uint8_t>* soundBuffer() const { return soundBuffer_.get(); }
  // The image the platform last accepted to play.
  const std::vector<uint8_t>* playingImage() const { return playing_.get(); }

 private:
  using Image = std::shared_ptr<const std::vector<uint8_t>>;
  Toolkit& toolkit_;
  Image soundBuffer_;
  // The image the platform last accepted. It may still be playing, so it stays alive and
  // unchanged until the platform accepts another, which it does only once this one has ended.
  Image playing_;
};

}  // namespace qm

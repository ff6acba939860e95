#include "sound/sound.h"

namespace qm {

void Module1::PlayResourceSound(int16_t id) {
  // A new buffer for every request: the one the platform may be reading is never rewritten.
  soundBuffer_ =
      std::make_shared<const std::vector<uint8_t>>(toolkit_.resources().read("ATM_SOUND", id));
  if (toolkit_.sound().play(soundBuffer_->data(), kSoundFlags)) playing_ = soundBuffer_;
  toolkit_.app().doEvents();
}

}  // namespace qm

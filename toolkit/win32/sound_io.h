#pragma once
// Win32: the executable's own resources, and sndPlaySoundA of WINMM.DLL.
#include <windows.h>

#include "toolkit/sound_io.h"
#include "toolkit/win32/unique_handle.h"

namespace qm::win32 {

class ModuleResourceReader : public ResourceReader {
 public:
  std::vector<uint8_t> read(const char* type, int16_t id) override;
};

// Bound by name on first use, from the system folder only.
class WinmmSoundOutput : public SoundOutput {
 public:
  bool play(const uint8_t* image, uint32_t flags) override;

 private:
  using PlayFunction = BOOL(WINAPI*)(LPCSTR, UINT);
  UniqueHModule winmm_;
  PlayFunction playSound_ = nullptr;
};

}  // namespace qm::win32

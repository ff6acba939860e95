#include "toolkit/win32/sound_io.h"

#include <string>

#include "toolkit/failure.h"
#include "toolkit/win32/folders.h"
#include "toolkit/win32/text.h"

namespace qm::win32 {

std::vector<uint8_t> ModuleResourceReader::read(const char* type, int16_t id) {
  const std::wstring typeName = widen(type);
  HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(static_cast<WORD>(id)), typeName.c_str());
  if (!found)
    throw Failure(ErrorCode::kResourceNotFound, std::string(type) + " " + std::to_string(id));
  HGLOBAL loaded = ::LoadResource(nullptr, found);
  const DWORD size = ::SizeofResource(nullptr, found);
  const auto* data = loaded ? static_cast<const uint8_t*>(::LockResource(loaded)) : nullptr;
  if (!data)
    throw Failure(ErrorCode::kResourceNotFound, std::string(type) + " " + std::to_string(id));
  return std::vector<uint8_t>(data, data + size);
}

bool WinmmSoundOutput::play(const uint8_t* image, uint32_t flags) {
  if (!playSound_) {
    // By full path from the system folder: a WINMM.DLL planted beside the screen saver or in
    // the current folder is never loaded.
    winmm_ = loadSystemLibrary(L"WINMM.DLL");
    if (!winmm_) throw Failure(ErrorCode::kCannotBindCall, "WINMM.DLL");
    playSound_ = bindFunction<PlayFunction>(winmm_.get(), "sndPlaySoundA");
    if (!playSound_) throw Failure(ErrorCode::kCannotBindCall, "sndPlaySoundA");
    // An asynchronous sound plays on a thread of the DLL's own that may not even have started
    // when this object goes: the DLL stays loaded until the process ends.
    pinModuleOf(reinterpret_cast<void*>(playSound_));
  }
  return playSound_(reinterpret_cast<LPCSTR>(image), flags) != FALSE;
}

}  // namespace qm::win32

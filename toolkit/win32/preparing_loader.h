#pragma once
// Win32: what PreparingLoader needs from the platform: a file's identity from the file system,
// a worker with COM and a WIC loader of its own, and the pump that runs the caller's events while
// a load waits (none: it just waits).
#include "toolkit/preparing_loader.h"

namespace qm::win32 {

PreparingLoader::Platform wicPreparingPlatform(std::function<void()> pump = {});

}  // namespace qm::win32

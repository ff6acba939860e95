#pragma once
// Win32: what PreparingLoader needs from the platform: a file's identity from the file system,
// and a worker with COM and a WIC loader of its own.
#include "toolkit/preparing_loader.h"

namespace qm::win32 {

PreparingLoader::Platform wicPreparingPlatform();

}  // namespace qm::win32

#include "toolkit/win32/dpi.h"

#include <windows.h>

#include "toolkit/win32/unique_handle.h"

namespace qm::win32 {

int screenDpi() {
  ScreenDc screen;
  int dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSX);
  return dpi > 0 ? dpi : 96;
}

float twipsPerPixel() { return 1440.0f / static_cast<float>(screenDpi()); }

}  // namespace qm::win32

#include "toolkit/win32/dpi.h"

#include <string>
#include <utility>

#include "toolkit/win32/folders.h"
#include "toolkit/win32/unique_handle.h"

namespace qm::win32 {

namespace {

using GetDpiForMonitorCall = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using SetProcessDpiAwarenessCall = HRESULT(WINAPI*)(int);
using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiCall = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SetProcessDpiAwarenessContextCall = BOOL(WINAPI*)(HANDLE);
using SetProcessDpiAwareCall = BOOL(WINAPI*)();

constexpr int kEffectiveDpi = 0;               // MDT_EFFECTIVE_DPI
constexpr int kProcessPerMonitorDpiAware = 2;  // PROCESS_PER_MONITOR_DPI_AWARE
// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, which this SDK level does not declare.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));

HMODULE user32() { return ::GetModuleHandleW(L"user32.dll"); }

// shcore.dll (Windows 8.1 on) from the system folder only, kept for the life of the process.
HMODULE shcore() {
  static const UniqueHModule module = loadSystemLibrary(L"shcore.dll");
  return module.get();
}

int logPixels() {
  ScreenDc screen;
  const int dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSX);
  return dpi > 0 ? dpi : 96;
}

}  // namespace

int screenDpi() {
  static const auto getDpiForMonitor =
      bindFunction<GetDpiForMonitorCall>(shcore(), "GetDpiForMonitor");
  if (getDpiForMonitor) {
    UINT x = 0, y = 0;
    HMONITOR primary = ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (SUCCEEDED(getDpiForMonitor(primary, kEffectiveDpi, &x, &y)) && x > 0)
      return static_cast<int>(x);
  }
  return logPixels();
}

float twipsPerPixel() { return 1440.0f / static_cast<float>(screenDpi()); }

int windowDpi(HWND window) {
  static const auto getDpiForWindow =
      bindFunction<GetDpiForWindowCall>(user32(), "GetDpiForWindow");
  const UINT dpi = window && getDpiForWindow ? getDpiForWindow(window) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : screenDpi();
}

RECT frameForClient(int width, int height, DWORD style, DWORD extendedStyle, int dpi) {
  static const auto adjustForDpi =
      bindFunction<AdjustWindowRectExForDpiCall>(user32(), "AdjustWindowRectExForDpi");
  RECT frame{0, 0, width, height};
  if (!adjustForDpi || !adjustForDpi(&frame, style, FALSE, extendedStyle, static_cast<UINT>(dpi)))
    ::AdjustWindowRectEx(&frame, style, FALSE, extendedStyle);
  ::OffsetRect(&frame, -frame.left, -frame.top);
  return frame;
}

DpiAwarenessCalls systemDpiAwarenessCalls() {
  DpiAwarenessCalls calls;
  if (auto setContext = bindFunction<SetProcessDpiAwarenessContextCall>(
          user32(), "SetProcessDpiAwarenessContext")) {
    calls.perMonitorV2 = [setContext]() -> DWORD {
      return setContext(kPerMonitorAwareV2) ? 0 : ::GetLastError();
    };
  }
  if (auto setAwareness =
          bindFunction<SetProcessDpiAwarenessCall>(shcore(), "SetProcessDpiAwareness")) {
    calls.perMonitor = [setAwareness]() -> DWORD {
      const HRESULT result = setAwareness(kProcessPerMonitorDpiAware);
      if (SUCCEEDED(result)) return 0;
      return HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result)
                                                        : static_cast<DWORD>(result);
    };
  }
  if (auto setAware = bindFunction<SetProcessDpiAwareCall>(user32(), "SetProcessDPIAware")) {
    calls.system = [setAware]() -> DWORD { return setAware() ? 0 : ERROR_GEN_FAILURE; };
  }
  return calls;
}

DpiAwareness declareDpiAwareness(const DpiAwarenessCalls& calls) {
  const std::pair<const std::function<DWORD()>*, DpiAwareness> chain[] = {
      {&calls.perMonitorV2, DpiAwareness::kPerMonitorV2},
      {&calls.perMonitor, DpiAwareness::kPerMonitor},
      {&calls.system, DpiAwareness::kSystem}};
  for (const auto& [call, awareness] : chain) {
    if (!*call) continue;
    const DWORD error = (*call)();
    if (error == 0) return awareness;
    // Windows 10 before 1703 knows the call but not version 2 (invalid parameter): go on.
    if (error == ERROR_ACCESS_DENIED) return DpiAwareness::kPreset;
  }
  return DpiAwareness::kNone;
}

}  // namespace qm::win32

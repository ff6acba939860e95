#pragma once
// Win32: pixels per inch (of the primary monitor, of a window's monitor), the twips in one pixel
// (1440 / DPI), and the process's declaration of DPI awareness. Every call that newer Windows
// added is found by name, so the program still starts on Windows 7.
#include <windows.h>

#include <functional>

namespace qm::win32 {

// The primary monitor's DPI: the monitor the show and Screen are on.
int screenDpi();
float twipsPerPixel();
// The DPI of the monitor the window is on, where Windows tells it; else the primary's.
int windowDpi(HWND window);
// The outer rectangle, at (0, 0), of a window whose client area is width x height pixels.
RECT frameForClient(int width, int height, DWORD style, DWORD extendedStyle, int dpi);

// What the process declared, from best to worst; kPreset when Windows already fixed it
// (a compatibility setting, or a host that decides for every process).
enum class DpiAwareness { kNone, kSystem, kPerMonitor, kPerMonitorV2, kPreset };

// The three declarations, best first. Each is empty where this Windows lacks it and answers a
// Win32 error code, 0 when it took effect.
struct DpiAwarenessCalls {
  std::function<DWORD()> perMonitorV2;  // user32 SetProcessDpiAwarenessContext (Windows 10)
  std::function<DWORD()> perMonitor;    // shcore SetProcessDpiAwareness (Windows 8.1)
  std::function<DWORD()> system;        // user32 SetProcessDPIAware (Vista)
};

DpiAwarenessCalls systemDpiAwarenessCalls();
// Makes the best declaration that works, before any window exists; a refused one (access
// denied: fixed before us) ends the chain.
DpiAwareness declareDpiAwareness(const DpiAwarenessCalls& calls);

}  // namespace qm::win32

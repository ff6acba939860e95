#pragma once
// Win32: the base of our own windows. The class is registered once, the window procedure finds
// the object through the pointer taken at WM_NCCREATE, the HWND is owned and destroyed with the
// object, and positions convert between twips and pixels at the DPI of the monitor the window is
// on (taken at creation and at every WM_DPICHANGED, before the window's own handler sees it).
// No exception leaves the procedure: one that escapes a message handler is reported through
// the event dispatcher.
#include <windows.h>

#include "toolkit/application.h"
#include "toolkit/win32/unique_handle.h"

namespace qm::win32 {

struct WindowClass {
  const wchar_t* name;
  UINT style = 0;
  HBRUSH background = nullptr;
  // The window draws its whole client area in paint(): no background is erased, and
  // WM_PAINT and WM_PRINTCLIENT (a rendering off-screen) both go there.
  bool paintsItself = false;
};

class WindowBase {
 public:
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;

  HWND handle() const { return window_.get(); }
  Application& app() const { return app_; }
  int dpi() const { return dpi_; }
  float twipsPerPixel() const { return 1440.0f / static_cast<float>(dpi_); }
  // Pixels from twips, rounded to the nearest pixel, at the window's DPI or at another.
  int toPixels(float twips) const { return toPixelsAt(twips, dpi_); }
  static int toPixelsAt(float twips, int dpi);

 protected:
  explicit WindowBase(Application& app);
  virtual ~WindowBase();
  // Registers the class on first use and creates the window; throws Out of memory on failure.
  void create(const WindowClass& windowClass, DWORD extendedStyle, const std::wstring& title,
              DWORD style, const RECT& frame);
  // Destroys the window now; the object stays and answers no more messages.
  void destroy();
  // The window's own messages; the rest go to DefWindowProcW.
  virtual LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Draws the given part of the client area onto target; only for a class that paints itself.
  virtual void paint(HDC /*target*/, const RECT& /*area*/) {}
  // Where a mouse message's point (its lParam, in the client area) lies on the screen.
  POINT screenPointOf(LPARAM lParam) const;
  // Runs an event handler through the dispatcher.
  void dispatch(const std::function<void()>& handler) { dispatchEvent(app_, handler); }

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  Application& app_;
  UniqueHwnd window_;
  int dpi_;
  bool paintsItself_ = false;
};

}  // namespace qm::win32

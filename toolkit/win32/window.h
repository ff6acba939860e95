#pragma once
// Win32: the full-screen show window. It keeps what was drawn in a retained back buffer
// (background and picture); a paint copies that buffer and draws the visible labels on top,
// through a second buffer, so the banner never wipes the picture and nothing flickers. The show
// is on the primary monitor; while it is shown, every other monitor has a cover.
#include <windows.h>

#include <functional>
#include <map>
#include <vector>

#include "toolkit/win32/cover_window.h"
#include "toolkit/win32/unique_handle.h"
#include "toolkit/win32/window_base.h"
#include "toolkit/window.h"

namespace qm::win32 {

class Win32Label;
class Win32Timer;

class Win32ShowWindow : public Window, public WindowBase {
 public:
  // monitors: the areas to cover, asked at show() and at every change of the displays.
  explicit Win32ShowWindow(Application& app,
                           std::function<std::vector<RECT>()> monitors = secondaryMonitors);

  void setEvents(WindowEvents events) override { events_ = std::move(events); }
  void show() override;
  void hide() override;
  void unload() override;
  void clear() override;
  void drawPicture(const Picture& picture, float x, float y, float w, float h) override;
  int32_t backColor() const override { return backColour_; }
  void setBackColor(int32_t colour) override;
  float scaleWidth() const override;
  float scaleHeight() const override;

  void invalidateTwips(float left, float top, float width, float height);
  void addLabel(Win32Label* label) { labels_.push_back(label); }
  void removeLabel(Win32Label* label);
  UINT_PTR addTimer(Win32Timer* timer);
  void removeTimer(UINT_PTR id) { timers_.erase(id); }

  // Draws the buffer and the labels for the given client area onto target.
  void paint(HDC target, const RECT& area) override;
  const Covers& covers() const { return covers_; }

 private:
  LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool overVisibleLabel(int x, int y) const;
  void keyPressed(int character);
  // A move at the pointer's last place is none: Windows sends one whenever a window appears,
  // goes or moves under a still pointer.
  void mouseMoved(POINT screenPoint);
  // The buffer at the screen's size, cleared to the background, and the window over the screen.
  void fitScreen();

  WindowEvents events_;
  int32_t backColour_ = 0;
  int widthPixels_ = 0;
  int heightPixels_ = 0;
  POINT lastPointer_{};
  // The bitmap outlives the DC it is selected into, and the DC the selection.
  UniqueHBitmap buffer_;
  UniqueHdc bufferDc_;
  SelectGuard bufferSelection_;
  std::vector<Win32Label*> labels_;
  std::map<UINT_PTR, Win32Timer*> timers_;
  UINT_PTR nextTimerId_ = 1;
  std::function<std::vector<RECT>()> monitors_;
  Covers covers_;
};

// The colour of the logic (red in the low byte) as GDI takes it.
inline COLORREF toColorRef(int32_t colour) { return static_cast<COLORREF>(colour) & 0xFFFFFF; }

}  // namespace qm::win32

#pragma once
// Win32: the full-screen show window. It keeps what was drawn in a retained back buffer
// (background and picture); a paint copies that buffer and draws the visible labels on top,
// through a second buffer, so the banner never wipes the picture and nothing flickers.
#include <windows.h>

#include <map>
#include <vector>

#include "toolkit/application.h"
#include "toolkit/win32/unique_handle.h"
#include "toolkit/window.h"

namespace qm::win32 {

class Win32Label;
class Win32Timer;

class Win32ShowWindow : public Window {
 public:
  explicit Win32ShowWindow(Application& app);
  ~Win32ShowWindow() override;
  Win32ShowWindow(const Win32ShowWindow&) = delete;
  Win32ShowWindow& operator=(const Win32ShowWindow&) = delete;

  void setEvents(WindowEvents events) override { events_ = std::move(events); }
  void show() override;
  void hide() override;
  void unload() override;
  void clear() override;
  void drawPicture(const Picture& picture, float x, float y, float w, float h) override;
  float himetricToTwipsX(float himetric) const override;
  float himetricToTwipsY(float himetric) const override;
  int32_t backColor() const override { return backColour_; }
  void setBackColor(int32_t colour) override;
  float scaleWidth() const override;
  float scaleHeight() const override;

  HWND handle() const { return window_; }
  Application& app() { return app_; }
  float twipsPerPixel() const { return twipsPerPixel_; }
  // Pixels from twips, rounded to the nearest pixel.
  int toPixels(float twips) const;
  void invalidateTwips(float left, float top, float width, float height);

  void addLabel(Win32Label* label) { labels_.push_back(label); }
  void removeLabel(Win32Label* label);
  UINT_PTR addTimer(Win32Timer* timer);
  void removeTimer(UINT_PTR id) { timers_.erase(id); }

  // Draws the buffer and the labels for the given client area onto target.
  void paint(HDC target, const RECT& area);

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  bool overVisibleLabel(int x, int y) const;
  void dispatch(const std::function<void()>& handler) { dispatchEvent(app_, handler); }

  Application& app_;
  HWND window_ = nullptr;
  WindowEvents events_;
  int32_t backColour_ = 0;
  float twipsPerPixel_;
  int widthPixels_;
  int heightPixels_;
  // The bitmap outlives the DC it is selected into.
  UniqueHBitmap buffer_;
  UniqueHdc bufferDc_;
  HGDIOBJ initialBufferBitmap_ = nullptr;
  std::vector<Win32Label*> labels_;
  std::map<UINT_PTR, Win32Timer*> timers_;
  UINT_PTR nextTimerId_ = 1;
};

class Win32Timer : public Timer {
 public:
  explicit Win32Timer(Win32ShowWindow& owner);
  ~Win32Timer() override;
  void setTick(std::function<void()> tick) override { tick_ = std::move(tick); }
  int32_t interval() const override { return interval_; }
  void setInterval(int32_t milliseconds) override;
  bool enabled() const override { return enabled_; }
  void setEnabled(bool enabled) override;
  // WM_TIMER: runs the handler unless it is already running further up the stack.
  void onTick();

 private:
  void arm();
  Win32ShowWindow& owner_;
  UINT_PTR id_;
  std::function<void()> tick_;
  int32_t interval_ = 0;
  bool enabled_ = false;
  bool ticking_ = false;
};

class Win32Label : public Label {
 public:
  Win32Label(Win32ShowWindow& owner, const LabelStyle& style);
  ~Win32Label() override;
  bool visible() const override { return visible_; }
  void setVisible(bool visible) override;
  std::string caption() const override { return caption_; }
  void setCaption(const std::string& caption) override;
  float left() const override { return left_; }
  void setLeft(float twips) override;
  float top() const override { return top_; }
  void setTop(float twips) override;

  RECT pixelRect() const;
  HFONT font() const { return font_.get(); }
  void draw(HDC dc) const;

 private:
  void invalidate() const;
  Win32ShowWindow& owner_;
  LabelStyle style_;
  UniqueHFont font_;
  std::wstring wideCaption_;
  std::string caption_;
  float left_;
  float top_;
  bool visible_ = false;
};

}  // namespace qm::win32

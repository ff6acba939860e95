#include "toolkit/win32/window.h"

#include <imm.h>
#include <windowsx.h>

#include <algorithm>

#include "toolkit/failure.h"
#include "toolkit/win32/folders.h"
#include "toolkit/win32/label.h"
#include "toolkit/win32/picture.h"
#include "toolkit/win32/timer.h"

namespace qm::win32 {

namespace {

// An East Asian input method would take the first key into a composition, and the show would
// never see it.
void refuseInputMethod(HWND window) {
  using AssociateContextEx = BOOL(WINAPI*)(HWND, HIMC, DWORD);
  static const UniqueHModule imm32 = loadSystemLibrary(L"imm32.dll");
  if (auto associate = bindFunction<AssociateContextEx>(imm32.get(), "ImmAssociateContextEx"))
    associate(window, nullptr, 0);
}

}  // namespace

Win32ShowWindow::Win32ShowWindow(Application& app, std::function<std::vector<RECT>()> monitors)
    : WindowBase(app),
      monitors_(std::move(monitors)),
      covers_(app, {[this](int character) { keyPressed(character); },
                    [this](POINT point) { mouseMoved(point); }}) {
  ScreenDc screen;
  bufferDc_.reset(::CreateCompatibleDC(screen.get()));
  if (!bufferDc_) throw Failure(ErrorCode::kOutOfMemory, "show window buffer");
  create({L"QuillmoorShowWindow", CS_DBLCLKS, nullptr, true}, WS_EX_TOPMOST, L"", WS_POPUP,
         RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)});
  refuseInputMethod(handle());
  fitScreen();
}

void Win32ShowWindow::fitScreen() {
  widthPixels_ = ::GetSystemMetrics(SM_CXSCREEN);
  heightPixels_ = ::GetSystemMetrics(SM_CYSCREEN);
  ScreenDc screen;
  UniqueHBitmap buffer(::CreateCompatibleBitmap(screen.get(), widthPixels_, heightPixels_));
  if (!buffer) throw Failure(ErrorCode::kOutOfMemory, "show window buffer");
  // The old buffer leaves the DC before it goes.
  bufferSelection_ = SelectGuard();
  buffer_ = std::move(buffer);
  bufferSelection_ = SelectGuard(bufferDc_.get(), buffer_.get());
  // Wine's X11 driver leaves a maximized window's size to the window manager, and with none
  // the window would keep the old screen's size: shown, it is placed restored, then maximized
  // again.
  const bool maximized = ::IsWindowVisible(handle()) && ::IsZoomed(handle());
  if (maximized) ::ShowWindow(handle(), SW_SHOWNOACTIVATE);
  ::SetWindowPos(handle(), nullptr, 0, 0, widthPixels_, heightPixels_,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  if (maximized) ::ShowWindow(handle(), SW_SHOWMAXIMIZED);
  clear();
}

void Win32ShowWindow::show() {
  ::GetCursorPos(&lastPointer_);
  ::SetWindowPos(handle(), HWND_TOPMOST, 0, 0, widthPixels_, heightPixels_, SWP_NOACTIVATE);
  ::ShowWindow(handle(), SW_SHOWMAXIMIZED);
  ::SetForegroundWindow(handle());
  ::UpdateWindow(handle());
  covers_.cover(monitors_(), toColorRef(backColour_));
}

void Win32ShowWindow::hide() {
  covers_.removeAll();
  ::ShowWindow(handle(), SW_HIDE);
}

void Win32ShowWindow::unload() {
  if (events_.unload) events_.unload();
  covers_.removeAll();
  destroy();
}

void Win32ShowWindow::clear() {
  UniqueHBrush brush(::CreateSolidBrush(toColorRef(backColour_)));
  RECT all{0, 0, widthPixels_, heightPixels_};
  ::FillRect(bufferDc_.get(), &all, brush.get());
  if (handle()) ::InvalidateRect(handle(), nullptr, FALSE);
}

void Win32ShowWindow::drawPicture(const Picture& picture, float x, float y, float w, float h) {
  const auto* decoded = dynamic_cast<const WicPicture*>(&picture);
  if (!decoded) throw Failure(ErrorCode::kInvalidPicture);
  // Size and corner rounded on their own, so a picture at its natural size stays exactly that
  // many pixels wide and is copied, not resampled.
  const int left = toPixels(x), top = toPixels(y);
  RECT target{left, top, left + toPixels(w), top + toPixels(h)};
  decoded->drawTo(bufferDc_.get(), target);
  ::InvalidateRect(handle(), &target, FALSE);
}

void Win32ShowWindow::setBackColor(int32_t colour) {
  // Like the designed window, a new background colour shows at once.
  backColour_ = colour;
  clear();
  covers_.setColour(toColorRef(colour));
}

float Win32ShowWindow::scaleWidth() const {
  RECT client{};
  ::GetClientRect(handle(), &client);
  return static_cast<float>(client.right - client.left) * twipsPerPixel();
}

float Win32ShowWindow::scaleHeight() const {
  RECT client{};
  ::GetClientRect(handle(), &client);
  return static_cast<float>(client.bottom - client.top) * twipsPerPixel();
}

void Win32ShowWindow::invalidateTwips(float left, float top, float width, float height) {
  if (!handle()) return;
  RECT area{toPixels(left), toPixels(top), toPixels(left + width) + 1, toPixels(top + height) + 1};
  ::InvalidateRect(handle(), &area, FALSE);
}

void Win32ShowWindow::removeLabel(Win32Label* label) {
  labels_.erase(std::remove(labels_.begin(), labels_.end(), label), labels_.end());
}

UINT_PTR Win32ShowWindow::addTimer(Win32Timer* timer) {
  UINT_PTR id = nextTimerId_++;
  timers_[id] = timer;
  return id;
}

void Win32ShowWindow::paint(HDC target, const RECT& area) {
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  UniqueHdc frameDc(::CreateCompatibleDC(target));
  UniqueHBitmap frame(::CreateCompatibleBitmap(target, width, height));
  if (!frameDc || !frame) {
    ::BitBlt(target, area.left, area.top, width, height, bufferDc_.get(), area.left, area.top,
             SRCCOPY);
    return;
  }
  SelectGuard selected(frameDc.get(), frame.get());
  ::BitBlt(frameDc.get(), 0, 0, width, height, bufferDc_.get(), area.left, area.top, SRCCOPY);
  ::SetViewportOrgEx(frameDc.get(), -area.left, -area.top, nullptr);
  for (const Win32Label* label : labels_) {
    if (label->visible()) label->draw(frameDc.get());
  }
  ::SetViewportOrgEx(frameDc.get(), 0, 0, nullptr);
  ::BitBlt(target, area.left, area.top, width, height, frameDc.get(), 0, 0, SRCCOPY);
}

bool Win32ShowWindow::overVisibleLabel(int x, int y) const {
  POINT point{x, y};
  for (const Win32Label* label : labels_) {
    RECT rect = label->pixelRect();
    if (label->visible() && ::PtInRect(&rect, point)) return true;
  }
  return false;
}

void Win32ShowWindow::keyPressed(int character) {
  if (events_.keyPress) dispatch([this, character] { events_.keyPress(character); });
}

void Win32ShowWindow::mouseMoved(POINT screenPoint) {
  if (screenPoint.x == lastPointer_.x && screenPoint.y == lastPointer_.y) return;
  lastPointer_ = screenPoint;
  dispatch(events_.mouseMove);
}

LRESULT Win32ShowWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) dispatch(events_.activate);
      // Windows gives an activated window the keyboard focus here and nowhere else.
      return handle() ? ::DefWindowProcW(handle(), message, wParam, lParam) : 0;
    case WM_CHAR:
      keyPressed(static_cast<int>(wParam));
      return 0;
    case WM_MOUSEMOVE:
      // Movement over a visible banner line belongs to that line, not to the window.
      if (overVisibleLabel(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)))
        lastPointer_ = screenPointOf(lParam);
      else
        mouseMoved(screenPointOf(lParam));
      return 0;
    case WM_DISPLAYCHANGE:
      // A new resolution, a monitor that came or went: the show, its buffer and the covers
      // follow, and the next picture is centred on the screen as it is now.
      fitScreen();
      if (::IsWindowVisible(handle())) covers_.cover(monitors_(), toColorRef(backColour_));
      return 0;
    case WM_TIMER: {
      auto timer = timers_.find(static_cast<UINT_PTR>(wParam));
      if (timer != timers_.end()) timer->second->tick();
      return 0;
    }
    case WM_CLOSE:
      dispatch([this] { unload(); });
      return 0;
    default:
      return ::DefWindowProcW(handle(), message, wParam, lParam);
  }
}

}  // namespace qm::win32

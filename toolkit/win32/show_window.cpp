#include "toolkit/win32/show_window.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "toolkit/failure.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/wic_picture.h"

namespace qm::win32 {

namespace {

const wchar_t kClassName[] = L"QuillmoorShowWindow";

void registerClassOnce() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hIcon = ::LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(1));
  windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.lpszClassName = kClassName;
  ::RegisterClassExW(&windowClass);
  registered = true;
}

COLORREF toColorRef(int32_t colour) { return static_cast<COLORREF>(colour) & 0xFFFFFF; }

}  // namespace

Win32ShowWindow::Win32ShowWindow(Application& app)
    : app_(app),
      twipsPerPixel_(win32::twipsPerPixel()),
      widthPixels_(::GetSystemMetrics(SM_CXSCREEN)),
      heightPixels_(::GetSystemMetrics(SM_CYSCREEN)) {
  registerClassOnce();
  window_ = ::CreateWindowExW(WS_EX_TOPMOST, kClassName, L"", WS_POPUP, 0, 0, widthPixels_,
                              heightPixels_, nullptr, nullptr, ::GetModuleHandleW(nullptr),
                              nullptr);
  if (!window_) throw Failure(ErrorCode::kOutOfMemory, "show window");
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ::SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&procedure));

  ScreenDc screen;
  bufferDc_.reset(::CreateCompatibleDC(screen.get()));
  buffer_.reset(::CreateCompatibleBitmap(screen.get(), widthPixels_, heightPixels_));
  if (!bufferDc_ || !buffer_) throw Failure(ErrorCode::kOutOfMemory, "show window buffer");
  initialBufferBitmap_ = ::SelectObject(bufferDc_.get(), buffer_.get());
  clear();
}

Win32ShowWindow::~Win32ShowWindow() {
  if (bufferDc_) ::SelectObject(bufferDc_.get(), initialBufferBitmap_);
  if (window_) {
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
}

void Win32ShowWindow::show() {
  ::SetWindowPos(window_, HWND_TOPMOST, 0, 0, widthPixels_, heightPixels_, SWP_NOACTIVATE);
  ::ShowWindow(window_, SW_SHOWMAXIMIZED);
  ::SetForegroundWindow(window_);
  ::UpdateWindow(window_);
}

void Win32ShowWindow::hide() { ::ShowWindow(window_, SW_HIDE); }

void Win32ShowWindow::unload() {
  if (events_.unload) events_.unload();
  ::DestroyWindow(window_);
  window_ = nullptr;
}

void Win32ShowWindow::clear() {
  UniqueHBrush brush(::CreateSolidBrush(toColorRef(backColour_)));
  RECT all{0, 0, widthPixels_, heightPixels_};
  ::FillRect(bufferDc_.get(), &all, brush.get());
  if (window_) ::InvalidateRect(window_, nullptr, FALSE);
}

void Win32ShowWindow::drawPicture(const Picture& picture, float x, float y, float w, float h) {
  const auto* decoded = dynamic_cast<const WicPicture*>(&picture);
  if (!decoded) throw Failure(ErrorCode::kInvalidPicture);
  // Size and corner rounded on their own, so a picture at its natural size stays exactly that
  // many pixels wide and is copied, not resampled.
  const int left = toPixels(x), top = toPixels(y);
  RECT target{left, top, left + toPixels(w), top + toPixels(h)};
  decoded->drawTo(bufferDc_.get(), target);
  ::InvalidateRect(window_, &target, FALSE);
}

float Win32ShowWindow::himetricToTwipsX(float himetric) const { return himetric * 1440.0f / 2540.0f; }
float Win32ShowWindow::himetricToTwipsY(float himetric) const { return himetric * 1440.0f / 2540.0f; }

void Win32ShowWindow::setBackColor(int32_t colour) {
  // Like the designed window, a new background colour shows at once.
  backColour_ = colour;
  clear();
}

float Win32ShowWindow::scaleWidth() const {
  RECT client{};
  ::GetClientRect(window_, &client);
  return static_cast<float>(client.right - client.left) * twipsPerPixel_;
}

float Win32ShowWindow::scaleHeight() const {
  RECT client{};
  ::GetClientRect(window_, &client);
  return static_cast<float>(client.bottom - client.top) * twipsPerPixel_;
}

int Win32ShowWindow::toPixels(float twips) const {
  return static_cast<int>(std::lround(twips / twipsPerPixel_));
}

void Win32ShowWindow::invalidateTwips(float left, float top, float width, float height) {
  if (!window_) return;
  RECT area{toPixels(left), toPixels(top), toPixels(left + width) + 1, toPixels(top + height) + 1};
  ::InvalidateRect(window_, &area, FALSE);
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

LRESULT CALLBACK Win32ShowWindow::procedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  auto* self = reinterpret_cast<Win32ShowWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
  return self->handle(message, wParam, lParam);
}

LRESULT Win32ShowWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PaintGuard painting(window_);
      paint(painting.dc(), painting.area());
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT all{0, 0, widthPixels_, heightPixels_};
      paint(reinterpret_cast<HDC>(wParam), all);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) dispatch(events_.activate);
      return 0;
    case WM_CHAR: {
      const int character = static_cast<int>(wParam);
      if (events_.keyPress) dispatch([this, character] { events_.keyPress(character); });
      return 0;
    }
    case WM_MOUSEMOVE:
      // Movement over a visible banner line belongs to that line, not to the window.
      if (!overVisibleLabel(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)))
        dispatch(events_.mouseMove);
      return 0;
    case WM_TIMER: {
      auto timer = timers_.find(static_cast<UINT_PTR>(wParam));
      if (timer != timers_.end()) timer->second->onTick();
      return 0;
    }
    case WM_CLOSE:
      dispatch([this] { unload(); });
      return 0;
    default:
      return ::DefWindowProcW(window_, message, wParam, lParam);
  }
}

Win32Timer::Win32Timer(Win32ShowWindow& owner) : owner_(owner), id_(owner.addTimer(this)) {}

Win32Timer::~Win32Timer() {
  if (owner_.handle()) ::KillTimer(owner_.handle(), id_);
  owner_.removeTimer(id_);
}

void Win32Timer::setInterval(int32_t milliseconds) {
  // 0 stops the ticks; the platform's largest interval is 0x7FFFFFFF, the int32 maximum.
  if (milliseconds < 0) throw Failure(ErrorCode::kInvalidPropertyValue, "timer interval");
  interval_ = milliseconds;
  arm();
}

void Win32Timer::setEnabled(bool enabled) {
  enabled_ = enabled;
  arm();
}

void Win32Timer::arm() {
  HWND window = owner_.handle();
  if (!window) return;
  if (enabled_ && interval_ > 0) {
    ::SetTimer(window, id_, static_cast<UINT>(interval_), nullptr);
  } else {
    ::KillTimer(window, id_);
  }
}

void Win32Timer::onTick() {
  if (ticking_ || !enabled_ || interval_ == 0) return;
  ticking_ = true;
  dispatchEvent(owner_.app(), tick_);
  ticking_ = false;
}

Win32Label::Win32Label(Win32ShowWindow& owner, const LabelStyle& style)
    : owner_(owner), style_(style), caption_(style.caption), left_(style.left), top_(style.top) {
  const int height = -static_cast<int>(std::lround(style.fontPoints * 1440.0f / 72.0f /
                                                   owner.twipsPerPixel()));
  font_.reset(::CreateFontW(height, 0, 0, 0, style.bold ? FW_BOLD : FW_NORMAL, style.italic, FALSE,
                            FALSE, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                            ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_ROMAN,
                            widen(style.fontName).c_str()));
  wideCaption_ = widen(caption_);
  owner_.addLabel(this);
}

Win32Label::~Win32Label() { owner_.removeLabel(this); }

void Win32Label::setVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  invalidate();
}

void Win32Label::setCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  wideCaption_ = widen(caption);
  if (visible_) invalidate();
}

void Win32Label::setLeft(float twips) {
  if (twips == left_) return;
  if (visible_) invalidate();
  left_ = twips;
  if (visible_) invalidate();
}

void Win32Label::setTop(float twips) {
  if (twips == top_) return;
  if (visible_) invalidate();
  top_ = twips;
  if (visible_) invalidate();
}

RECT Win32Label::pixelRect() const {
  return RECT{owner_.toPixels(left_), owner_.toPixels(top_), owner_.toPixels(left_ + style_.width),
              owner_.toPixels(top_ + style_.height)};
}

void Win32Label::invalidate() const { owner_.invalidateTwips(left_, top_, style_.width, style_.height); }

void Win32Label::draw(HDC dc) const {
  RECT rect = pixelRect();
  SelectGuard selected(dc, font_.get());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, toColorRef(style_.colour));
  ::DrawTextW(dc, wideCaption_.c_str(), static_cast<int>(wideCaption_.size()), &rect,
              DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
}

}  // namespace qm::win32

#include "toolkit/win32/window_base.h"

#include <windowsx.h>

#include <cmath>
#include <set>
#include <string>

#include "toolkit/failure.h"
#include "toolkit/win32/dpi.h"

namespace qm::win32 {

namespace {

void registerOnce(const WindowClass& windowClass, WNDPROC procedure) {
  static std::set<std::wstring> registered;
  if (!registered.insert(windowClass.name).second) return;
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW description{};
  description.cbSize = sizeof(description);
  description.style = windowClass.style;
  description.lpfnWndProc = procedure;
  description.hInstance = instance;
  description.hIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                      ::GetSystemMetrics(SM_CXICON),
                                                      ::GetSystemMetrics(SM_CYICON), 0));
  description.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                        ::GetSystemMetrics(SM_CXSMICON),
                                                        ::GetSystemMetrics(SM_CYSMICON), 0));
  description.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  description.hbrBackground = windowClass.background;
  description.lpszClassName = windowClass.name;
  ::RegisterClassExW(&description);
}

}  // namespace

WindowBase::WindowBase(Application& app) : app_(app), dpi_(screenDpi()) {}

WindowBase::~WindowBase() { destroy(); }

void WindowBase::create(const WindowClass& windowClass, DWORD extendedStyle,
                        const std::wstring& title, DWORD style, const RECT& frame) {
  registerOnce(windowClass, &procedure);
  paintsItself_ = windowClass.paintsItself;
  ::CreateWindowExW(extendedStyle, windowClass.name, title.c_str(), style, frame.left, frame.top,
                    frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                    ::GetModuleHandleW(nullptr), this);
  if (!window_) throw Failure(ErrorCode::kOutOfMemory, "window");
}

void WindowBase::destroy() {
  if (!window_) return;
  // Detached first: the messages that destruction sends find no object.
  ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
  window_.reset();
}

int WindowBase::toPixelsAt(float twips, int dpi) {
  return static_cast<int>(std::lround(twips / (1440.0f / static_cast<float>(dpi))));
}

POINT WindowBase::screenPointOf(LPARAM lParam) const {
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ::ClientToScreen(handle(), &point);
  return point;
}

LRESULT CALLBACK WindowBase::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_.reset(window);
    self->dpi_ = windowDpi(window);
  }
  auto* self = reinterpret_cast<WindowBase*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // Destroyed by the system (or by a parent): the handle is no longer ours to destroy.
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_.release();
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  if (message == WM_DPICHANGED && LOWORD(wParam) > 0) self->dpi_ = LOWORD(wParam);
  try {
    if (self->paintsItself_) {
      switch (message) {
        case WM_ERASEBKGND:
          return 1;
        case WM_PAINT: {
          PaintGuard painting(window);
          self->paint(painting.dc(), painting.area());
          return 0;
        }
        case WM_PRINTCLIENT: {
          RECT all{};
          ::GetClientRect(window, &all);
          self->paint(reinterpret_cast<HDC>(wParam), all);
          return 0;
        }
        default:
          break;
      }
    }
    return self->onMessage(message, wParam, lParam);
  } catch (...) {
    self->dispatch([] { throw; });
    return 0;
  }
}

}  // namespace qm::win32

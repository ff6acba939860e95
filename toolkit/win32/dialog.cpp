#include "toolkit/win32/dialog.h"

#include <cmath>

#include "toolkit/failure.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/text.h"

namespace qm::win32 {

namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// WM_GETDPISCALEDSIZE (Windows 10 1703), which the headers declare only when built for it.
constexpr UINT kGetDpiScaledSize = 0x02E4;

// Only one dialog at a time takes the keyboard's Tab and arrow keys.
HWND keyboardDialog = nullptr;

}  // namespace

UniqueHFont makeDialogFont(const std::wstring& name, float points, int weight, int dpi) {
  const int height = -static_cast<int>(std::lround(points * static_cast<float>(dpi) / 72.0f));
  return UniqueHFont(::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_DONTCARE, name.c_str()));
}

Win32Dialog::Win32Dialog(Application& app, const std::string& caption, float width, float height)
    : WindowBase(app), width_(width), height_(height) {
  fontDesigns_.push_back({L"MS Shell Dlg", 8, FW_NORMAL});
  makeFonts();
  const int madeAt = dpi();
  RECT frame = frameAt(madeAt);
  ::OffsetRect(&frame, CW_USEDEFAULT, CW_USEDEFAULT);
  create({L"QuillmoorSettingDialog", 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)},
         WS_EX_CONTROLPARENT, widen(caption), kWindowStyle, frame);
  keyboardDialog = handle();
  // Made on a monitor whose DPI is not the primary's: sized for its own.
  if (dpi() != madeAt) {
    RECT placed{};
    ::GetWindowRect(handle(), &placed);
    layOut(POINT{placed.left, placed.top});
  }
}

Win32Dialog::~Win32Dialog() {
  if (keyboardDialog == handle()) keyboardDialog = nullptr;
}

void Win32Dialog::show() {
  ::ShowWindow(handle(), SW_SHOWNORMAL);
  ::SetForegroundWindow(handle());
  ::UpdateWindow(handle());
}

void Win32Dialog::unload() {
  if (events_.unload) events_.unload();
  if (keyboardDialog == handle()) keyboardDialog = nullptr;
  destroy();
}

HWND Win32Dialog::addControl(const wchar_t* windowClass, const std::string& text, DWORD style,
                             const Place& place, DWORD extendedStyle, int extraLines) {
  const Layout layout{place, extraLines, 0,
                      ::lstrcmpiW(windowClass, L"LISTBOX") == 0 && (style & LBS_OWNERDRAWFIXED)};
  HWND control = ::CreateWindowExW(extendedStyle, windowClass, widen(text).c_str(),
                                   WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, handle(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId_++)),
                                   ::GetModuleHandleW(nullptr), nullptr);
  if (!control) throw Failure(ErrorCode::kOutOfMemory, "dialog control");
  layouts_[control] = layout;
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[0].get()), FALSE);
  placeControl(control, layout);
  return control;
}

void Win32Dialog::setControlFont(HWND control, const std::wstring& name, float points) {
  auto layout = layouts_.find(control);
  if (layout == layouts_.end()) return;
  size_t index = 0;
  while (index < fontDesigns_.size() &&
         !(fontDesigns_[index].name == name && fontDesigns_[index].points == points))
    ++index;
  if (index == fontDesigns_.size()) {
    fontDesigns_.push_back({name, points, FW_NORMAL});
    fonts_.push_back(makeDialogFont(name, points, FW_NORMAL, dpi()));
  }
  layout->second.font = index;
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[index].get()), TRUE);
}

void Win32Dialog::makeFonts() {
  fonts_.clear();
  for (const FontDesign& design : fontDesigns_)
    fonts_.push_back(makeDialogFont(design.name, design.points, design.weight, dpi()));
  ScreenDc screen;
  SelectGuard selected(screen.get(), fonts_[0].get());
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(screen.get(), &metrics);
  lineHeight_ = metrics.tmHeight + 2;
}

void Win32Dialog::placeControl(HWND control, const Layout& layout) const {
  const Place& at = layout.place;
  const int left = toPixels(at.left), top = toPixels(at.top);
  ::MoveWindow(control, left, top, toPixels(at.left + at.width) - left,
               toPixels(at.top + at.height) - top + layout.extraLines * lineHeight_, FALSE);
  // An owner-drawn list measures its rows once, when it is made.
  if (layout.ownerDrawnList)
    ::SendMessageW(control, LB_SETITEMHEIGHT, 0, static_cast<LPARAM>(lineHeight_));
}

void Win32Dialog::layOut(POINT corner) {
  // The old fonts stay until every control has its new one.
  std::vector<UniqueHFont> old = std::move(fonts_);
  makeFonts();
  const int width = toPixels(width_), height = toPixels(height_);
  const RECT frame = frameAt(dpi());
  ::SetWindowPos(handle(), nullptr, corner.x, corner.y, frame.right, frame.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  // A host that keeps the title bar at another DPI than the one it told leaves the client area
  // off by the difference: measured, and made good.
  RECT client{};
  ::GetClientRect(handle(), &client);
  if (client.right != width || client.bottom != height)
    ::SetWindowPos(handle(), nullptr, 0, 0, frame.right + width - client.right,
                   frame.bottom + height - client.bottom,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (const auto& [control, layout] : layouts_) {
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[layout.font].get()), FALSE);
    placeControl(control, layout);
  }
  ::InvalidateRect(handle(), nullptr, TRUE);
}

RECT Win32Dialog::frameAt(int dpi) const {
  return frameForClient(toPixelsAt(width_, dpi), toPixelsAt(height_, dpi), kWindowStyle,
                        WS_EX_CONTROLPARENT, dpi);
}

void Win32Dialog::onCommand(HWND control, std::function<void(WORD)> handler) {
  commands_[::GetDlgCtrlID(control)] = std::move(handler);
}

void Win32Dialog::onEnter(HWND control, std::function<void()> handler) {
  enters_[control] = std::move(handler);
}

void Win32Dialog::onDrawItem(HWND control, std::function<void(const DRAWITEMSTRUCT&)> draw) {
  drawers_[control] = std::move(draw);
}

void Win32Dialog::removeControl(HWND control) {
  layouts_.erase(control);
  commands_.erase(::GetDlgCtrlID(control));
  enters_.erase(control);
  drawers_.erase(control);
  if (focus_ == control) focus_ = nullptr;
  if (handle()) ::DestroyWindow(control);
}

LRESULT Win32Dialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE: {
      // The dialog's activation: first shown, or back from another window of this program.
      DWORD otherProcess = 0;
      HWND other = reinterpret_cast<HWND>(lParam);
      if (other) ::GetWindowThreadProcessId(other, &otherProcess);
      const bool fromThisProgram = !activatedOnce_ || otherProcess == ::GetCurrentProcessId();
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(handle(), focus)) focus_ = focus;
        return 0;
      }
      if (fromThisProgram) {
        activatedOnce_ = true;
        dispatch(events_.activate);
      }
      // As a dialog does: the focus goes back where it was, at first to the first control.
      if (!handle()) return 0;
      if (!focus_ || !::IsChild(handle(), focus_))
        focus_ = ::GetNextDlgTabItem(handle(), nullptr, FALSE);
      if (focus_) ::SetFocus(focus_);
      return 0;
    }
    case WM_CLOSE:
      dispatch([this] { unload(); });
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == IDOK) {  // Enter: only a list that opens its entries takes it
        auto enter = enters_.find(::GetFocus());
        if (enter != enters_.end()) dispatch(enter->second);
        return 0;
      }
      auto command = commands_.find(id);
      if (command != commands_.end() && lParam != 0) {
        const WORD code = HIWORD(wParam);
        dispatch([&] { command->second(code); });
      }
      return 0;
    }
    case WM_DPICHANGED: {
      // The base has taken the new DPI; Windows suggests where the window goes.
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      layOut(POINT{suggested.left, suggested.top});
      return 0;
    }
    case kGetDpiScaledSize: {
      // Asked before a move to a monitor of another DPI: the size layOut will give there, so
      // that Windows places the window where it will fit and it does not bounce back.
      const RECT frame = frameAt(static_cast<int>(wParam));
      *reinterpret_cast<SIZE*>(lParam) = {frame.right, frame.bottom};
      return TRUE;
    }
    case WM_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(lineHeight_);
      return TRUE;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      auto draw = drawers_.find(item.hwndItem);
      if (draw != drawers_.end()) draw->second(item);
      return TRUE;
    }
    default:
      break;
  }
  return ::DefWindowProcW(handle(), message, wParam, lParam);
}

bool dialogKeyboardMessage(MSG& message) {
  return keyboardDialog != nullptr && ::IsWindow(keyboardDialog) &&
         ::IsDialogMessageW(keyboardDialog, &message);
}

}  // namespace qm::win32

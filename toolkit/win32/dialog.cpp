#include "toolkit/win32/dialog.h"

#include <cmath>

#include "toolkit/failure.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/text.h"

namespace qm::win32 {

namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// Only one dialog at a time takes the keyboard's Tab and arrow keys.
HWND keyboardDialog = nullptr;

}  // namespace

UniqueHFont makeDialogFont(const std::wstring& name, float points, int weight) {
  const int height = -static_cast<int>(std::lround(points * static_cast<float>(screenDpi()) / 72.0f));
  return UniqueHFont(::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_DONTCARE, name.c_str()));
}

Win32Dialog::Win32Dialog(Application& app, const std::string& caption, float width, float height)
    : WindowBase(app) {
  font_ = makeDialogFont(L"MS Shell Dlg", 8, FW_NORMAL);
  {
    ScreenDc screen;
    SelectGuard selected(screen.get(), font_.get());
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(screen.get(), &metrics);
    lineHeight_ = metrics.tmHeight + 2;
  }
  RECT frame{0, 0, toPixels(width), toPixels(height)};
  ::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, WS_EX_CONTROLPARENT);
  ::OffsetRect(&frame, CW_USEDEFAULT - frame.left, CW_USEDEFAULT - frame.top);
  create({L"QuillmoorSettingDialog", 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)},
         WS_EX_CONTROLPARENT, widen(caption), kWindowStyle, frame);
  keyboardDialog = handle();
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
                             const Place& place, DWORD extendedStyle, int extraHeight) {
  const int left = toPixels(place.left), top = toPixels(place.top);
  HWND control = ::CreateWindowExW(
      extendedStyle, windowClass, widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, left, top,
      toPixels(place.left + place.width) - left,
      toPixels(place.top + place.height) - top + extraHeight, handle(),
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId_++)), ::GetModuleHandleW(nullptr),
      nullptr);
  if (!control) throw Failure(ErrorCode::kOutOfMemory, "dialog control");
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  return control;
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
      if (!focus_ || !::IsChild(handle(), focus_)) focus_ = ::GetNextDlgTabItem(handle(), nullptr, FALSE);
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

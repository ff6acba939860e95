#include "toolkit/win32/cover_window.h"

#include <algorithm>

#include "toolkit/win32/unique_handle.h"

namespace qm::win32 {

namespace {

BOOL CALLBACK addSecondary(HMONITOR monitor, HDC, RECT*, LPARAM areas) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (::GetMonitorInfoW(monitor, &info) && !(info.dwFlags & MONITORINFOF_PRIMARY))
    reinterpret_cast<std::vector<RECT>*>(areas)->push_back(info.rcMonitor);
  return TRUE;
}

bool sameArea(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

}  // namespace

CoverWindow::CoverWindow(Application& app, const RECT& area, COLORREF colour,
                         const CoverInput& input)
    : WindowBase(app), area_(area), colour_(colour), input_(input) {
  // A tool window takes no place on the taskbar; it never takes the activation (and with it
  // the keyboard) from the show window.
  create({L"QuillmoorCoverWindow", 0, nullptr, true},
         WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"", WS_POPUP, area);
  ::SetWindowPos(handle(), HWND_TOPMOST, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void CoverWindow::setColour(COLORREF colour) {
  if (colour == colour_) return;
  colour_ = colour;
  ::InvalidateRect(handle(), nullptr, FALSE);
}

void CoverWindow::paint(HDC target, const RECT& area) {
  UniqueHBrush brush(::CreateSolidBrush(colour_));
  ::FillRect(target, &area, brush.get());
}

LRESULT CoverWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    // The handlers may end the show and with it this window: nothing of it is used after them.
    case WM_CHAR:
      if (input_.keyPress) input_.keyPress(static_cast<int>(wParam));
      return 0;
    case WM_MOUSEMOVE:
      if (input_.mouseMove) input_.mouseMove(screenPointOf(lParam));
      return 0;
    case WM_CLOSE:  // a cover goes with the show, never alone
      return 0;
    default:
      return ::DefWindowProcW(handle(), message, wParam, lParam);
  }
}

std::vector<RECT> secondaryMonitors() {
  std::vector<RECT> areas;
  ::EnumDisplayMonitors(nullptr, nullptr, addSecondary, reinterpret_cast<LPARAM>(&areas));
  return areas;
}

void Covers::cover(const std::vector<RECT>& areas, COLORREF colour) {
  auto gone = [&areas](const std::unique_ptr<CoverWindow>& window) {
    return std::none_of(areas.begin(), areas.end(),
                        [&](const RECT& area) { return sameArea(area, window->area()); });
  };
  windows_.erase(std::remove_if(windows_.begin(), windows_.end(), gone), windows_.end());
  for (const RECT& area : areas) {
    const bool covered = std::any_of(
        windows_.begin(), windows_.end(),
        [&](const std::unique_ptr<CoverWindow>& window) { return sameArea(area, window->area()); });
    if (!covered) windows_.push_back(std::make_unique<CoverWindow>(app_, area, colour, input_));
  }
  setColour(colour);
}

void Covers::setColour(COLORREF colour) {
  for (const auto& window : windows_) window->setColour(colour);
}

}  // namespace qm::win32

// Covers of the other monitors, the DPI declaration, windows at their DPI, themed controls.
#include <gtest/gtest.h>
#include <windows.h>
// commctrl.h needs windows.h before it.
#include <commctrl.h>
#include <imm.h>

#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/win/helpers.h"
#include "toolkit/win32/application.h"
#include "toolkit/win32/common_controls.h"
#include "toolkit/win32/dialog_controls.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/window.h"

namespace qm::win32 {
namespace {

RECT windowRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

bool sameRect(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

COLORREF printedColour(HWND window) {
  ScreenDc screen;
  UniqueHdc dc(::CreateCompatibleDC(screen.get()));
  UniqueHBitmap bitmap(::CreateCompatibleBitmap(screen.get(), 4, 4));
  SelectGuard selected(dc.get(), bitmap.get());
  ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
  return ::GetPixel(dc.get(), 1, 1);
}

// The covers of the other monitors, as listed (Xvfb has one monitor).
TEST(CoverWindows, TopmostInactiveUnownedInStepWithTheMonitorsAndGoneWithTheShow) {
  std::vector<RECT> monitors{{700, 0, 1000, 300}, {0, 500, 300, 760}};  // the other two
  Win32Application app;
  Win32ShowWindow window(app, [&monitors] { return monitors; });
  auto coverHandles = [&window] {
    std::vector<HWND> handles;
    for (const auto& cover : window.covers().windows()) handles.push_back(cover->handle());
    return handles;
  };
  window.setEvents({nullptr, nullptr, [&window] { window.unload(); }, nullptr});
  window.show();
  window.setBackColor(0x0080FF);
  const std::vector<HWND> before = coverHandles();
  ASSERT_EQ(before.size(), 2u);
  for (HWND cover : before) {
    const LONG_PTR extended = ::GetWindowLongPtrW(cover, GWL_EXSTYLE);
    EXPECT_NE(extended & WS_EX_TOPMOST, 0);
    EXPECT_NE(extended & WS_EX_NOACTIVATE, 0);
    EXPECT_EQ(::GetWindow(cover, GW_OWNER), nullptr);
  }
  EXPECT_EQ(::GetActiveWindow(), window.handle());

  monitors = {monitors[1], RECT{300, 0, 600, 200}};  // the first goes, one comes
  ::SendMessageW(window.handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
  const std::vector<HWND> after = coverHandles();
  ASSERT_EQ(after.size(), 2u);
  EXPECT_FALSE(::IsWindow(before[0]));
  EXPECT_EQ(after[0], before[1]) << "the cover of a monitor still there was made again";
  EXPECT_TRUE(sameRect(windowRect(after[1]), monitors[1]));
  EXPECT_EQ(printedColour(after[1]), toColorRef(0x0080FF)) << "not the colour of the moment";

  window.hide();
  for (HWND cover : after) EXPECT_FALSE(::IsWindow(cover));
  ::SendMessageW(window.handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
  EXPECT_TRUE(window.covers().windows().empty()) << "hidden, the show covers nothing";

  window.show();  // a move on a cover that unloads the show takes the covers along
  const std::vector<HWND> again = coverHandles();
  ASSERT_FALSE(again.empty());
  ::SendMessageW(again[0], WM_MOUSEMOVE, 0, 0);
  EXPECT_EQ(window.handle(), nullptr) << "not unloaded";
  for (HWND cover : again) EXPECT_FALSE(::IsWindow(cover));
}

// Windows, unlike Wine, gives an activated window the focus only in DefWindowProc, and sends a
// mouse move whenever a window comes or goes under a pointer that stays where it is.
TEST(ShowWindowInput, ActivationGivesTheFocusOnlyRealMovesCountAndNoInputMethodTakesKeys) {
  Win32Application app;
  Win32ShowWindow window(app, [] { return std::vector<RECT>{{700, 0, 1000, 300}}; });
  int moves = 0;
  window.setEvents({[] {}, nullptr, [&moves] { ++moves; }, nullptr});
  window.show();
  EXPECT_EQ(::ImmGetContext(window.handle()), nullptr);
  ::SetFocus(nullptr);
  ::SendMessageW(window.handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(::GetFocus(), window.handle()) << "keys would go elsewhere as system keys";

  POINT pointer{};
  ::GetCursorPos(&pointer);
  auto move = [](HWND to, int x, int y) { ::SendMessageW(to, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); };
  for (int i = 0; i < 10; ++i) move(window.handle(), pointer.x, pointer.y);
  EXPECT_EQ(moves, 0) << "a pointer where the show found it has not moved";
  move(window.handle(), pointer.x + 1, pointer.y);
  move(window.handle(), pointer.x + 1, pointer.y);
  const HWND cover = window.covers().windows().at(0)->handle();
  move(cover, 0, 0);              // (700, 0) on the screen
  move(window.handle(), 700, 0);  // the same place, seen from the show window
  move(cover, 0, 1);
  EXPECT_EQ(moves, 3);
}

struct ChainCase {
  const char* windows;
  std::optional<DWORD> perMonitorV2, perMonitor, system;  // absent: this Windows lacks it
  DpiAwareness expected;
  std::vector<std::string> called;
};

TEST(DpiAwarenessChain, TakesTheBestDeclarationThisWindowsOffers) {
  const DWORD denied = ERROR_ACCESS_DENIED, invalid = ERROR_INVALID_PARAMETER,
              failed = ERROR_GEN_FAILURE;
  const ChainCase cases[] = {
      {"Windows 10 1703 on", 0, 0, 0, DpiAwareness::kPerMonitorV2, {"v2"}},
      {"Windows 10 before 1703", invalid, 0, 0, DpiAwareness::kPerMonitor, {"v2", "v1"}},
      {"Windows 7", {}, {}, 0, DpiAwareness::kSystem, {"system"}},
      {"decided by the host", invalid, denied, 0, DpiAwareness::kPreset, {"v2", "v1"}},
      {"nothing works", invalid, failed, failed, DpiAwareness::kNone, {"v2", "v1", "system"}},
  };
  for (const ChainCase& c : cases) {
    SCOPED_TRACE(c.windows);
    std::vector<std::string> called;
    auto fake = [&called](const char* name, std::optional<DWORD> answer) {
      std::function<DWORD()> call;
      if (answer)
        call = [&called, name, answer] {
          called.push_back(name);
          return *answer;
        };
      return call;
    };
    const DpiAwarenessCalls calls{fake("v2", c.perMonitorV2), fake("v1", c.perMonitor),
                                  fake("system", c.system)};
    EXPECT_EQ(declareDpiAwareness(calls), c.expected);
    EXPECT_EQ(called, c.called);
  }
}

// Wine offers all three, each bound by its exported name; the process is aware either way.
TEST(DpiAwarenessChain, BindsEachDeclarationThisWindowsOffers) {
  const DpiAwarenessCalls calls = systemDpiAwarenessCalls();
  EXPECT_TRUE(calls.perMonitorV2 && calls.perMonitor && calls.system);
  EXPECT_NE(declareDpiAwareness(calls), DpiAwareness::kNone);
}

constexpr float kDialogWidth = 5775, kDialogHeight = 4725;

// Where a place in twips lands in pixels at this DPI.
RECT pixelsAt(const Place& place, int dpi) {
  auto pixels = [dpi](float twips) { return std::lround(twips * dpi / 1440.0); };
  return {pixels(place.left), pixels(place.top), pixels(place.left + place.width),
          pixels(place.top + place.height)};
}

LONG fontHeight(HWND control) {
  LOGFONTW font{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font),
               &font);
  return font.lfHeight;
}

TEST(WindowDpi, TheDialogLaysItselfOutAgainAtEachNewDpi) {
  Win32Application app;
  Win32Dialog dialog(app, "Picture Directory setting ", kDialogWidth, kDialogHeight);
  const Place buttonPlace{1695, 2640, 1215, 495};
  Win32Button button(dialog, "Change Path", buttonPlace, 0);
  Win32TextBox text(dialog, {{210, 3420, 615, 315}, "8", true, "Times New Roman", 8.25f});
  Win32DirList list(dialog, {210, 720, 2055, 2115});

  for (int dpi : {144, 120}) {
    SCOPED_TRACE(dpi);
    SIZE asked{};  // asked before the move, so that Windows places it where it will fit
    EXPECT_TRUE(::SendMessageW(dialog.handle(), 0x02E4 /* WM_GETDPISCALEDSIZE */, dpi,
                               reinterpret_cast<LPARAM>(&asked)));
    const RECT inside = pixelsAt({0, 0, kDialogWidth, kDialogHeight}, dpi);
    const RECT outside =
        frameForClient(inside.right, inside.bottom,
                       static_cast<DWORD>(::GetWindowLongPtrW(dialog.handle(), GWL_STYLE)),
                       static_cast<DWORD>(::GetWindowLongPtrW(dialog.handle(), GWL_EXSTYLE)), dpi);
    EXPECT_EQ(std::pair(asked.cx, asked.cy), std::pair(outside.right, outside.bottom));
    RECT suggested{40, 30, 500, 400};
    ::SendMessageW(dialog.handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    const RECT frame = windowRect(dialog.handle());
    EXPECT_EQ(std::pair(frame.left, frame.top), std::pair(suggested.left, suggested.top));
    RECT client{}, placed = windowRect(button.handle());
    ::GetClientRect(dialog.handle(), &client);
    EXPECT_TRUE(sameRect(client, pixelsAt({0, 0, kDialogWidth, kDialogHeight}, dpi)));
    ::MapWindowPoints(nullptr, dialog.handle(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_TRUE(sameRect(placed, pixelsAt(buttonPlace, dpi)));
    EXPECT_EQ(fontHeight(button.handle()), -std::lround(8.0 * dpi / 72));
    EXPECT_EQ(fontHeight(text.handle()), -std::lround(8.25 * dpi / 72));
    EXPECT_EQ(::SendMessageW(list.handle(), LB_GETITEMHEIGHT, 0, 0), dialog.lineHeight());
    EXPECT_GT(dialog.lineHeight(), -fontHeight(button.handle()));
  }
}

// The dialog's button answers a message that only common controls 6 knows.
TEST(CommonControls, TheDialogsControlsAreVersionSixWithAManifestOfWindows) {
  CommonControls6 controls;
  ASSERT_TRUE(controls.active()) << "no manifest of this Windows gave common controls 6";
  Win32Application app;
  Win32Dialog dialog(app, "Picture Directory setting ", kDialogWidth, kDialogHeight);
  Win32Button button(dialog, "Change Path", {1695, 2640, 1215, 495}, 0);
  SIZE ideal{};
  EXPECT_TRUE(
      ::SendMessageW(button.handle(), BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
  EXPECT_GT(ideal.cx, 0);
}

}  // namespace
}  // namespace qm::win32

// Monitors, DPI and the common controls: the covers of the other monitors, the DPI
// declaration's fallbacks, windows that follow their monitor's DPI, themed controls.
#include <gtest/gtest.h>
#include <windows.h>
// commctrl.h needs windows.h before it.
#include <commctrl.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tests/win/helpers.h"
#include "toolkit/win32/application.h"
#include "toolkit/win32/common_controls.h"
#include "toolkit/win32/dialog_controls.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/window.h"

namespace qm::win32 {
namespace {

// --- Covers of the other monitors -------------------------------------------------------------

COLORREF printedColour(HWND window) {
  ScreenDc screen;
  UniqueHdc dc(::CreateCompatibleDC(screen.get()));
  UniqueHBitmap bitmap(::CreateCompatibleBitmap(screen.get(), 4, 4));
  SelectGuard selected(dc.get(), bitmap.get());
  ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
  return ::GetPixel(dc.get(), 1, 1);
}

RECT windowRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

bool sameRect(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

class CoverWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.setEvents({nullptr, [this](int character) { keys_.push_back(character); },
                       [this] { ++moves_; }, nullptr});
  }
  std::vector<HWND> coverHandles() const {
    std::vector<HWND> handles;
    for (const auto& cover : window_.covers().windows()) handles.push_back(cover->handle());
    return handles;
  }
  void displaysChanged() {
    ::SendMessageW(window_.handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
  }

  // Two other monitors, as the system would list them; the test changes them at will.
  std::vector<RECT> monitors_{{700, 0, 1000, 300}, {0, 500, 300, 760}};
  Win32Application app_;
  Win32ShowWindow window_{app_, [this] { return monitors_; }};
  std::vector<int> keys_;
  int moves_ = 0;
};

TEST_F(CoverWindows, ShownWithTheShowOnePerMonitorTopmostBorderlessAndInactive) {
  EXPECT_TRUE(window_.covers().windows().empty()) << "covers before the show";
  window_.show();
  const std::vector<HWND> covers = coverHandles();
  ASSERT_EQ(covers.size(), 2u);
  for (size_t i = 0; i < covers.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(::IsWindowVisible(covers[i]));
    EXPECT_TRUE(sameRect(windowRect(covers[i]), monitors_[i]));
    const LONG_PTR style = ::GetWindowLongPtrW(covers[i], GWL_STYLE);
    const LONG_PTR extended = ::GetWindowLongPtrW(covers[i], GWL_EXSTYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME), 0);
    EXPECT_NE(extended & WS_EX_TOPMOST, 0);
    EXPECT_NE(extended & WS_EX_NOACTIVATE, 0);
    EXPECT_EQ(::GetWindow(covers[i], GW_OWNER), nullptr);
  }
  EXPECT_EQ(::GetActiveWindow(), window_.handle());
  window_.hide();
  EXPECT_TRUE(window_.covers().windows().empty());
  for (HWND cover : covers) EXPECT_FALSE(::IsWindow(cover));
}

TEST_F(CoverWindows, TakeTheBackgroundColourAndFollowItsChanges) {
  window_.show();
  for (int32_t colour : {0, 16777215, 0x0080FF}) {
    SCOPED_TRACE(colour);
    window_.setBackColor(colour);
    for (HWND cover : coverHandles()) EXPECT_EQ(printedColour(cover), toColorRef(colour));
  }
  // A monitor added later starts in the colour of the moment.
  monitors_.push_back({300, 0, 600, 200});
  displaysChanged();
  ASSERT_EQ(coverHandles().size(), 3u);
  EXPECT_EQ(printedColour(coverHandles()[2]), toColorRef(0x0080FF));
}

TEST_F(CoverWindows, KeysAndMouseMovesOnACoverReachTheShowWindowsHandlers) {
  window_.show();
  const HWND cover = coverHandles().at(1);
  const int movesAtShow = moves_;
  ::SendMessageW(cover, WM_CHAR, 'q', 0);
  for (int i = 0; i < 3; ++i) ::SendMessageW(cover, WM_MOUSEMOVE, 0, MAKELPARAM(10 + i, 10));
  ::SendMessageW(window_.handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(keys_, std::vector<int>{'q'});
  EXPECT_EQ(moves_ - movesAtShow, 4);
}

TEST_F(CoverWindows, FollowMonitorsAddedAndRemovedKeepingTheOnesStillThere) {
  window_.show();
  const std::vector<HWND> before = coverHandles();
  ASSERT_EQ(before.size(), 2u);

  monitors_ = {monitors_[1], RECT{300, 0, 600, 200}};  // the first goes, one comes
  displaysChanged();
  std::vector<HWND> after = coverHandles();
  ASSERT_EQ(after.size(), 2u);
  EXPECT_FALSE(::IsWindow(before[0]));
  EXPECT_EQ(after[0], before[1]) << "the cover of a monitor still there was made again";
  EXPECT_TRUE(sameRect(windowRect(after[1]), monitors_[1]));

  monitors_.clear();
  displaysChanged();
  EXPECT_TRUE(window_.covers().windows().empty());
  for (HWND cover : after) EXPECT_FALSE(::IsWindow(cover));

  // Hidden, the show covers nothing, whatever the monitors do.
  monitors_ = {RECT{0, 0, 100, 100}};
  window_.hide();
  displaysChanged();
  EXPECT_TRUE(window_.covers().windows().empty());
}

TEST_F(CoverWindows, AMoveOnACoverThatUnloadsTheShowTakesTheCoversAlong) {
  bool unloaded = false;
  window_.setEvents({nullptr, nullptr, [this] { window_.unload(); }, [&] { unloaded = true; }});
  window_.show();
  const std::vector<HWND> covers = coverHandles();
  ASSERT_FALSE(covers.empty());
  ::SendMessageW(covers[0], WM_MOUSEMOVE, 0, 0);
  EXPECT_TRUE(unloaded);
  EXPECT_EQ(window_.handle(), nullptr);
  EXPECT_TRUE(window_.covers().windows().empty());
  for (HWND cover : covers) EXPECT_FALSE(::IsWindow(cover));
}

// The two-monitor end-to-end run names the layout it set up, and waits for this to pass.
TEST(SecondaryMonitors, AreTheOnesTheTwoMonitorRunSetUp) {
  const char* expected = std::getenv("QM_EXPECT_OTHER_MONITORS");
  if (!expected) GTEST_SKIP() << "set by the two-monitor end-to-end run";
  std::string listed;
  for (const RECT& area : secondaryMonitors()) {
    listed += (listed.empty() ? "" : " ") + std::to_string(area.left) + "," +
              std::to_string(area.top) + "," + std::to_string(area.right) + "," +
              std::to_string(area.bottom);
  }
  EXPECT_EQ(listed, expected);
}

TEST(SecondaryMonitors, AreTheMonitorsOtherThanThePrimary) {
  const std::vector<RECT> others = secondaryMonitors();
  EXPECT_EQ(others.size(), static_cast<size_t>(::GetSystemMetrics(SM_CMONITORS) - 1));
  const RECT primary{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  for (const RECT& other : others) {
    RECT overlap{};
    EXPECT_FALSE(::IntersectRect(&overlap, &other, &primary));
  }
}

// --- Declaring DPI awareness ------------------------------------------------------------------

struct ChainCase {
  const char* windows;
  std::optional<DWORD> perMonitorV2, perMonitor, system;  // absent: this Windows lacks it
  DpiAwareness expected;
  std::vector<std::string> called;
};

TEST(DpiAwarenessChain, TakesTheBestDeclarationThisWindowsOffers) {
  const DWORD denied = ERROR_ACCESS_DENIED, invalid = ERROR_INVALID_PARAMETER;
  const ChainCase cases[] = {
      {"Windows 10 1703 on", 0, 0, 0, DpiAwareness::kPerMonitorV2, {"v2"}},
      {"Windows 10 before 1703", invalid, 0, 0, DpiAwareness::kPerMonitor, {"v2", "v1"}},
      {"Windows 8.1", {}, 0, 0, DpiAwareness::kPerMonitor, {"v1"}},
      {"Windows 7", {}, {}, 0, DpiAwareness::kSystem, {"system"}},
      {"per-monitor refused for another reason",
       {},
       ERROR_GEN_FAILURE,
       0,
       DpiAwareness::kSystem,
       {"v1", "system"}},
      {"fixed by a compatibility setting", denied, 0, 0, DpiAwareness::kPreset, {"v2"}},
      {"a host that decides for every process",
       invalid,
       denied,
       0,
       DpiAwareness::kPreset,
       {"v2", "v1"}},
      {"nothing works",
       invalid,
       ERROR_GEN_FAILURE,
       ERROR_GEN_FAILURE,
       DpiAwareness::kNone,
       {"v2", "v1", "system"}},
      {"nothing offered", {}, {}, {}, DpiAwareness::kNone, {}},
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

TEST(DpiAwarenessChain, ThisWindowsEndsPerMonitorAwareWhereItOffersThat) {
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  using GetContext = HANDLE(WINAPI*)();
  using AwarenessOf = int(WINAPI*)(HANDLE);
  auto getContext = bindFunction<GetContext>(user32, "GetThreadDpiAwarenessContext");
  auto awarenessOf = bindFunction<AwarenessOf>(user32, "GetAwarenessFromDpiAwarenessContext");

  const DpiAwareness declared = declareDpiAwareness(systemDpiAwarenessCalls());
  EXPECT_NE(declared, DpiAwareness::kNone);
  if (!getContext || !awarenessOf) GTEST_SKIP() << "this Windows cannot tell its awareness";
  // Where the awareness can be read, per-monitor is offered too: the process has it now,
  // declared by us or by whoever decided before us.
  EXPECT_EQ(awarenessOf(getContext()), 2) << "declared " << static_cast<int>(declared);
}

// --- Windows at the DPI of their monitor ------------------------------------------------------

constexpr float kDialogWidth = 5775, kDialogHeight = 4725;

long pixelsAt(float twips, int dpi) { return std::lround(twips * dpi / 1440.0); }

SIZE clientSize(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  return {client.right, client.bottom};
}

LONG fontHeight(HWND control) {
  LOGFONTW font{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font),
               &font);
  return font.lfHeight;
}

RECT placeInParent(HWND control) {
  RECT rect = windowRect(control);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

TEST(WindowDpi, TheDialogLaysItselfOutAgainAtEachNewDpi) {
  Win32Application app;
  Win32Dialog dialog(app, "Picture Directory setting ", kDialogWidth, kDialogHeight);
  const Place buttonPlace{1695, 2640, 1215, 495}, listPlace{210, 720, 2055, 2115};
  Win32Button button(dialog, "Change Path", buttonPlace, 0);
  Win32TextBox text(dialog, {{210, 3420, 615, 315}, "8", true, "Times New Roman", 8.25f});
  Win32DirList list(dialog, listPlace);

  for (int dpi : {144, 120, 192, 96}) {
    SCOPED_TRACE(dpi);
    RECT suggested{40, 30, 500, 400};
    ::SendMessageW(dialog.handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    EXPECT_FLOAT_EQ(dialog.twipsPerPixel(), 1440.0f / static_cast<float>(dpi));
    const SIZE client = clientSize(dialog.handle());
    EXPECT_EQ(client.cx, pixelsAt(kDialogWidth, dpi));
    EXPECT_EQ(client.cy, pixelsAt(kDialogHeight, dpi));
    const RECT frame = windowRect(dialog.handle());
    EXPECT_EQ(frame.left, suggested.left);
    EXPECT_EQ(frame.top, suggested.top);

    const RECT at = placeInParent(button.handle());
    EXPECT_EQ(at.left, pixelsAt(buttonPlace.left, dpi));
    EXPECT_EQ(at.top, pixelsAt(buttonPlace.top, dpi));
    EXPECT_EQ(at.right, pixelsAt(buttonPlace.left + buttonPlace.width, dpi));
    EXPECT_EQ(at.bottom, pixelsAt(buttonPlace.top + buttonPlace.height, dpi));
    EXPECT_EQ(fontHeight(button.handle()), -std::lround(8.0 * dpi / 72));
    EXPECT_EQ(fontHeight(text.handle()), -std::lround(8.25 * dpi / 72));
    EXPECT_EQ(::SendMessageW(list.handle(), LB_GETITEMHEIGHT, 0, 0), dialog.lineHeight());
    EXPECT_GT(dialog.lineHeight(), -fontHeight(button.handle()));
  }
}

// The process's DPI comes from the registry when the process starts: a child process runs
// with a changed value, which is put back however the child ends.
class LogPixels {
 public:
  explicit LogPixels(DWORD dpi) {
    ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key_.put(), nullptr);
    DWORD size = sizeof(old_);
    had_ = ::RegQueryValueExW(key_.get(), kName, nullptr, &type_, reinterpret_cast<BYTE*>(&old_),
                              &size) == ERROR_SUCCESS;
    ::RegSetValueExW(key_.get(), kName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                     sizeof(dpi));
  }
  ~LogPixels() {
    if (had_)
      ::RegSetValueExW(key_.get(), kName, 0, type_, reinterpret_cast<const BYTE*>(&old_),
                       sizeof(old_));
    else
      ::RegDeleteValueW(key_.get(), kName);
  }
  LogPixels(const LogPixels&) = delete;
  LogPixels& operator=(const LogPixels&) = delete;

 private:
  static constexpr const wchar_t* kName = L"LogPixels";
  UniqueHKey key_;
  bool had_ = false;
  DWORD type_ = REG_DWORD;
  DWORD old_ = 0;
};

DWORD runThisProgram(const std::wstring& arguments) {
  wchar_t path[MAX_PATH];
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(path) + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    return 9999;
  UniqueHandleObject processHandle(process.hProcess), threadHandle(process.hThread);
  if (::WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) return 9998;
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  return code;
}

TEST(WindowDpi, AtAnotherDpiTheDialogKeepsItsSizeInTwipsAndTheShowItsScreen) {
  LogPixels changed(144);
  EXPECT_EQ(runThisProgram(L"--gtest_filter=WindowDpiChild.* --child-dpi=144"), 0u);
}

TEST(WindowDpiChild, MeasuresAtTheDpiItWasGiven) {
  const std::string commandLine = ::GetCommandLineA();
  const size_t at = commandLine.find("--child-dpi=");
  if (at == std::string::npos) GTEST_SKIP() << "runs as a child of WindowDpi";
  const int dpi = std::stoi(commandLine.substr(at + 12));
  Win32Application app;
  Win32Dialog dialog(app, "Picture Directory setting ", kDialogWidth, kDialogHeight);
  EXPECT_EQ(windowDpi(dialog.handle()), dpi);
  EXPECT_EQ(dialog.dpi(), dpi);
  const SIZE client = clientSize(dialog.handle());
  EXPECT_EQ(client.cx, pixelsAt(kDialogWidth, dpi));
  EXPECT_EQ(client.cy, pixelsAt(kDialogHeight, dpi));

  Win32ShowWindow show(app, [] { return std::vector<RECT>(); });
  Win32Screen screen;
  EXPECT_FLOAT_EQ(show.twipsPerPixel(), 1440.0f / static_cast<float>(dpi));
  EXPECT_FLOAT_EQ(screen.width(), static_cast<float>(::GetSystemMetrics(SM_CXSCREEN)) * 1440.0f /
                                      static_cast<float>(dpi));
  EXPECT_FLOAT_EQ(show.scaleWidth(), screen.width());
}

// --- Common controls 6 ------------------------------------------------------------------------

// True when the button answers a message that only common controls 6 knows.
bool knowsIdealSize(HWND button) {
  SIZE ideal{};
  return ::SendMessageW(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) != FALSE &&
         ideal.cx > 0 && ideal.cy > 0;
}

TEST(CommonControls, TheDialogsControlsAreVersionSixWithAManifestOfWindows) {
  CommonControls6 controls;
  ASSERT_TRUE(controls.active()) << "no manifest of this Windows gave common controls 6";
  Win32Application app;
  Win32Dialog dialog(app, "Picture Directory setting ", kDialogWidth, kDialogHeight);
  Win32Button button(dialog, "Change Path", {1695, 2640, 1215, 495}, 0);
  EXPECT_TRUE(knowsIdealSize(button.handle()));
}

TEST(CommonControls, WithoutAUsableManifestTheClassicControlsStillWork) {
  ScratchFolder folder(L"qm-manifest-");
  const std::wstring plain = folder.path() + L"\\plain.manifest";
  std::ofstream(plain.c_str())
      << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
         "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
         "<assemblyIdentity type=\"win32\" name=\"Quillmoor.Plain\" version=\"1.0.0.0\"/>\n"
         "</assembly>\n";
  // One that cannot be read, one that names no common controls.
  CommonControls6 controls(
      {{folder.path() + L"\\missing.dll", MAKEINTRESOURCEW(124)}, {plain, nullptr}});
  EXPECT_FALSE(controls.active());
  Win32Application app;
  Win32Dialog dialog(app, "Picture Directory setting ", kDialogWidth, kDialogHeight);
  Win32Button button(dialog, "Change Path", {1695, 2640, 1215, 495}, 0);
  Win32CheckBox check(dialog, "White background", {2400, 2400, 2400, 300});
  EXPECT_FALSE(knowsIdealSize(button.handle()));
  check.setValue(1);
  EXPECT_EQ(check.value(), 1);
  EXPECT_EQ(clientSize(dialog.handle()).cx, pixelsAt(kDialogWidth, dialog.dpi()));
}

}  // namespace
}  // namespace qm::win32

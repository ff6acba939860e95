// The Win32 layer on a real system: instance, start-up, registry, sound resources, the settings
// dialog and its lists, the show's file list and window, covers of the other monitors, DPI.
#include "tests/win/helpers.h"

namespace qm::win32 {
namespace {

// An empty card reader or removed media gives the program's own message, not the system's box.
TEST(Application, TheSecondSeesTheFirstArgumentsFollowTheNameAndAnEmptyDriveShowsNoSystemBox) {
  Win32Application first, second;
  EXPECT_EQ(std::pair(first.previousInstance(), second.previousInstance()), std::pair(false, true));
  EXPECT_EQ(argumentsOf(L"C:\\q.scr   /c:1234"), L"/c:1234");
  EXPECT_EQ(argumentsOf(L"\"C:\\q.scr\""), L"");
  EXPECT_EQ(argumentsOf(L"\"C:\\q.scr\"/p 77"), L"/p 77");
  ::SetErrorMode(0);  // as Windows starts a process; Wine starts it quiet already
  prepareProcess();
  const UINT quiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
  EXPECT_EQ(::GetErrorMode() & quiet, quiet);
}

const std::string kApp = "file test";
const std::wstring kAppKey = L"Software\\Quillmoor Screen Saver\\file test";

// Absent values read as the default in every end-to-end run.
TEST(Registry, NamesMatchInAnyCaseAnyTextRoundTripsAndAValueOfAnotherTypeIsAbsent) {
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kAppKey.c_str());
  RegistrySettingsStore store;
  std::string big;
  while (big.size() < 40000) big += "0123456789\\folder ";
  const std::string script = "C:\\\xD0\x9A\xD0\xB0\xD1\x80\\\xE5\x86\x99\xE7\x9C\x9F\\";
  for (const std::string& value : {big, script, std::string()}) {
    store.write(kApp, "SETTINGS", "PATH", value);
    EXPECT_EQ(store.read(kApp, "settings", "path", "default"), value) << "replaced, unvalidated";
  }
  const DWORD number = 42;  // over the empty text: a failed write reads as that
  ::RegSetKeyValueW(HKEY_CURRENT_USER, (kAppKey + L"\\settings").c_str(), L"path", REG_DWORD,
                    &number, sizeof(number));
  EXPECT_EQ(store.read(kApp, "settings", "path", "default"), "default");
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kAppKey.c_str());
}

TEST(SoundResources, TheWholeResourceWithItsPaddingAndAMissingIdIsNotPathNotFound) {
  Win32Application app;
  Win32Toolkit toolkit(app);
  // 3128 bytes, the last 2 of them padding after the RIFF image, as the file holds them.
  EXPECT_EQ(toolkit.resources().read("ATM_SOUND", 7), readFile(sourcePath("resources/sound7.wav")));
  const int code = errorOf([&] { toolkit.resources().read("ATM_SOUND", 8); });
  EXPECT_TRUE(code != 0 && code != 76) << code;
}

using Names = std::vector<std::string>;
constexpr float kDialogWidth = 5775, kDialogHeight = 4725;
const Place kButtonPlace{1695, 2640, 1215, 495};

// The settings dialog and button as start-up makes them (themed controls first), folders to list.
class SettingDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"\\Pictures", "\\Pictures\\b 10", "\\Pictures\\b 9",
                               "\\Pictures\\secret", "\\Pictures\\folder.jpg", "\\Empty"})
      ::CreateDirectoryW(widen(root_ + folder).c_str(), nullptr);
    // Not "a.jpgx", which a search for "*.jpg" finds by its short name.
    for (const char* file : {"img10.jpg", "img2.JPG", "IMG1.bmp", "a.jpgx", "plan.wmf",
                             "\xD0\x9A\xD0\xB0\xD1\x80.gif", "hidden.jpg", "system.bmp"})
      writeFile(widen(root_ + "\\Pictures\\" + file), {});
    for (const char* hidden : {"\\Pictures\\secret", "\\Pictures\\hidden.jpg"})
      ::SetFileAttributesW(widen(root_ + hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesW(widen(root_ + "\\Pictures\\system.bmp").c_str(), FILE_ATTRIBUTE_SYSTEM);
  }
  // Out of the tree before it is removed.
  void TearDown() override { ::SetCurrentDirectoryW(startDirectory_.c_str()); }
  static LRESULT rows(HWND list) { return ::SendMessageW(list, LB_GETCOUNT, 0, 0); }

  CommonControls6 controls_;
  Win32Application app_;
  Win32Dialog dialog_{app_, "Picture Directory setting ", kDialogWidth, kDialogHeight};
  Win32Button button_{dialog_, "Change Path", kButtonPlace, 0};
  ScratchFolder scratch_{L"qm-tree-"};
  std::string root_ = narrow(scratch_.path);
  std::wstring startDirectory_ = currentDirectory();
};

TEST_F(SettingDialog, DirectoryListMovesAndRaisesItsChangeBeforeReturning) {
  Win32DirList list(dialog_, {210, 720, 2055, 2115});
  Names seen;
  list.setChange([&] { seen.push_back(list.path()); });
  const std::string pictures = root_ + "\\Pictures";
  list.setPath(pictures + "\\");
  ASSERT_EQ(seen, Names{pictures});
  // The way down from the root, then the visible subfolders in the show's own order.
  const Names entries = list.entries();
  ASSERT_GE(entries.size(), 5u);
  EXPECT_EQ(entries.front(), root_.substr(0, 3));
  EXPECT_EQ(Names(entries.end() - 4, entries.end()),
            (Names{pictures, pictures + "\\b 9", pictures + "\\b 10", pictures + "\\folder.jpg"}));
  EXPECT_EQ(rows(list.handle()), static_cast<LRESULT>(entries.size()));

  list.setPath(root_ + "\\PICTURES");  // the same folder: no change
  EXPECT_EQ(errorOf([&] { list.setPath(root_ + "\\gone\\"); }), 76);
  EXPECT_EQ(std::pair(seen, list.path()), std::pair(Names{pictures}, pictures));

  const std::string drive = root_.substr(0, 2);  // a root keeps its separator
  list.setPath(drive + "\\");
  EXPECT_EQ(list.path(), drive + "\\");
  ::SetCurrentDirectoryW(widen(root_ + "\\Empty").c_str());
  list.setPath(drive);  // a drive alone is its current directory
  EXPECT_EQ(list.path(), root_ + "\\Empty");
}

TEST_F(SettingDialog, FileListsHoldTheVisibleMatchingFilesByLongNameInNaturalOrder) {
  Win32FileList show("*.bmp;*.jpg;*.gif");
  show.setPath(root_ + "\\Pictures\\");
  Names names;
  for (int16_t i = 0; i < show.listCount(); ++i) names.push_back(show.list(i));
  EXPECT_EQ(names, (Names{"IMG1.bmp", "img2.JPG", "img10.jpg", "\xD0\x9A\xD0\xB0\xD1\x80.gif"}));
  EXPECT_EQ(errorOf([&] { show.setPath(root_ + "\\no such folder\\"); }), 76);

  Win32FileListBox files(dialog_, "*.jpg;*.gif;*.bmp;*.wmf", {2400, 690, 3255, 1455});
  files.setPath(root_ + "\\Pictures");
  EXPECT_EQ(rows(files.handle()), 5);
  files.setPath(root_ + "\\Empty");
  EXPECT_EQ(rows(files.handle()), 0);
}

TEST_F(SettingDialog, DriveListNamesTheDrivesAndRaisesItsChangeInADialogWithTheIconAndNoOwner) {
  EXPECT_NE(::GetClassLongPtrW(dialog_.handle(), GCLP_HICON), 0u);
  EXPECT_EQ(::GetWindow(dialog_.handle(), GW_OWNER), nullptr);
  Win32DriveList drives(dialog_, {210, 2880, 2055, 315});
  EXPECT_EQ(::SendMessageW(drives.handle(), CB_GETCOUNT, 0, 0),
            static_cast<LRESULT>(std::bitset<32>(::GetLogicalDrives()).count()));
  int changes = 0;
  drives.setChange([&] { ++changes; });
  const std::string other = drives.drive() == "z:" ? "c:" : "z:";
  drives.setDrive(other == "z:" ? "Z:" : "C:");
  EXPECT_EQ(drives.drive(), other);
  drives.setDrive(other);
  EXPECT_EQ(changes, 1);
}

// A rectangle as one value to compare; a window's on the screen, or in its parent's client area.
auto corners(const RECT& r) { return std::tuple(r.left, r.top, r.right, r.bottom); }
auto corners(HWND window, HWND parent = nullptr) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return corners(rect);
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
  const LONG_PTR style = WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  for (HWND cover : before)
    EXPECT_EQ(
        std::pair(::GetWindowLongPtrW(cover, GWL_EXSTYLE) & style, ::GetWindow(cover, GW_OWNER)),
        std::pair(style, HWND{}));
  EXPECT_EQ(::GetActiveWindow(), window.handle());

  // The first goes, one comes: the kept one's cover stays; the new one is placed, coloured now.
  monitors = {monitors[1], RECT{300, 0, 600, 200}};
  ::SendMessageW(window.handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
  const std::vector<HWND> after = coverHandles();
  ASSERT_EQ(after.size(), 2u);
  Canvas printed(4, 4);
  ::SendMessageW(after[1], WM_PRINTCLIENT, reinterpret_cast<WPARAM>(printed.dc.get()), PRF_CLIENT);
  EXPECT_EQ(std::tuple(::IsWindow(before[0]), after[0], corners(after[1]), printed.pixel(1, 1)),
            std::tuple(FALSE, before[1], corners(monitors[1]), toColorRef(0x0080FF)));

  window.hide();
  for (HWND cover : after) EXPECT_FALSE(::IsWindow(cover));
  ::SendMessageW(window.handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
  EXPECT_TRUE(window.covers().windows().empty()) << "hidden, the show covers nothing";

  window.show();  // a move on a cover that unloads the show takes the covers along
  const std::vector<HWND> again = coverHandles();
  ::SendMessageW(again.at(0), WM_MOUSEMOVE, 0, 0);
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

TEST(DpiAwarenessChain, TakesTheBestDeclarationThisWindowsOffersEachBoundByName) {
  const DWORD denied = ERROR_ACCESS_DENIED, invalid = ERROR_INVALID_PARAMETER,
              failed = ERROR_GEN_FAILURE;
  using Answer = std::optional<DWORD>;  // absent: this Windows lacks the call
  const std::tuple<const char*, Answer, Answer, Answer, DpiAwareness, Names> cases[] = {
      {"Windows 10 1703 on", 0, 0, 0, DpiAwareness::kPerMonitorV2, {"v2"}},
      {"Windows 10 before 1703", invalid, 0, 0, DpiAwareness::kPerMonitor, {"v2", "v1"}},
      {"Windows 7", {}, {}, 0, DpiAwareness::kSystem, {"system"}},
      {"decided by the host", invalid, denied, 0, DpiAwareness::kPreset, {"v2", "v1"}},
      {"nothing works", invalid, failed, failed, DpiAwareness::kNone, {"v2", "v1", "system"}},
  };
  for (const auto& [windows, perMonitorV2, perMonitor, system, expected, expectedCalls] : cases) {
    SCOPED_TRACE(windows);
    Names called;
    auto fake = [&called](const char* name, std::optional<DWORD> answer) -> std::function<DWORD()> {
      if (!answer) return nullptr;
      return [&called, name, answer] { return called.push_back(name), *answer; };
    };
    const DpiAwarenessCalls calls{fake("v2", perMonitorV2), fake("v1", perMonitor),
                                  fake("system", system)};
    EXPECT_EQ(declareDpiAwareness(calls), expected);
    EXPECT_EQ(called, expectedCalls);
  }
  // Wine offers all three, each bound by its exported name; the process is aware either way.
  const DpiAwarenessCalls calls = systemDpiAwarenessCalls();
  EXPECT_TRUE(calls.perMonitorV2 && calls.perMonitor && calls.system);
  EXPECT_NE(declareDpiAwareness(calls), DpiAwareness::kNone);
}

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

TEST_F(SettingDialog, LaysItselfOutAgainAtEachNewDpi) {
  Win32TextBox text(dialog_, {{210, 3420, 615, 315}, "8", true, "Times New Roman", 8.25f});
  Win32DirList list(dialog_, {210, 720, 2055, 2115});
  const HWND window = dialog_.handle();
  for (int dpi : {144, 120}) {
    SCOPED_TRACE(dpi);
    SIZE asked{};  // asked before the move, so that Windows places it where it will fit
    EXPECT_TRUE(::SendMessageW(window, 0x02E4 /* WM_GETDPISCALEDSIZE */, dpi,
                               reinterpret_cast<LPARAM>(&asked)));
    const RECT inside = pixelsAt({0, 0, kDialogWidth, kDialogHeight}, dpi);
    const RECT outside = frameForClient(
        inside.right, inside.bottom, static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)),
        static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE)), dpi);
    EXPECT_EQ(std::pair(asked.cx, asked.cy), std::pair(outside.right, outside.bottom));
    RECT suggested{40, 30, 500, 400}, frame{}, client{};
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    ::GetWindowRect(window, &frame);
    ::GetClientRect(window, &client);
    // Where Windows put it, its client area and button, the fonts and the list's rows.
    EXPECT_EQ(std::tuple(frame.left, frame.top, corners(client), corners(button_.handle(), window),
                         fontHeight(button_.handle()), fontHeight(text.handle()),
                         ::SendMessageW(list.handle(), LB_GETITEMHEIGHT, 0, 0)),
              std::tuple(suggested.left, suggested.top, corners(inside),
                         corners(pixelsAt(kButtonPlace, dpi)), -std::lround(8.0 * dpi / 72),
                         -std::lround(8.25 * dpi / 72), LRESULT{dialog_.lineHeight()}));
    EXPECT_GT(dialog_.lineHeight(), -fontHeight(button_.handle()));
  }
}

// The dialog's button answers a message that only common controls 6 knows.
TEST_F(SettingDialog, ItsControlsAreVersionSixWithAManifestOfWindows) {
  ASSERT_TRUE(controls_.active()) << "no manifest of this Windows gave common controls 6";
  SIZE ideal{};
  EXPECT_TRUE(
      ::SendMessageW(button_.handle(), BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
  EXPECT_GT(ideal.cx, 0);
}

}  // namespace
}  // namespace qm::win32

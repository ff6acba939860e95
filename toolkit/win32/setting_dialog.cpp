#include "toolkit/win32/setting_dialog.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cwctype>

#include "toolkit/failure.h"
#include "toolkit/file_names.h"
#include "toolkit/win32/text.h"

namespace qm::win32 {

namespace {

const wchar_t kClassName[] = L"QuillmoorSettingDialog";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// Only one dialog at a time takes the keyboard's Tab and arrow keys.
HWND keyboardDialog = nullptr;

void registerClassOnce() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hIcon = static_cast<HICON>(::LoadImageW(windowClass.hInstance, MAKEINTRESOURCEW(1),
                                                      IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                                      ::GetSystemMetrics(SM_CYICON), 0));
  windowClass.hIconSm = static_cast<HICON>(::LoadImageW(
      windowClass.hInstance, MAKEINTRESOURCEW(1), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
      ::GetSystemMetrics(SM_CYSMICON), 0));
  windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  ::RegisterClassExW(&windowClass);
  registered = true;
}

UniqueHFont makeFont(const std::wstring& name, float points, int weight) {
  const int height = -static_cast<int>(std::lround(points * static_cast<float>(screenDpi()) / 72.0f));
  return UniqueHFont(::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_DONTCARE, name.c_str()));
}

bool sameFolder(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// "c:\pictures\" and "c:" (that drive's current directory) as a full, long-name path.
std::wstring fullPath(const std::wstring& path) {
  wchar_t buffer[32768];
  DWORD length = ::GetFullPathNameW(path.c_str(), 32768, buffer, nullptr);
  if (length == 0 || length >= 32768) return path;
  std::wstring full(buffer, length);
  length = ::GetLongPathNameW(full.c_str(), buffer, 32768);
  if (length > 0 && length < 32768) full.assign(buffer, length);
  return withoutFinalSeparator(full);
}

std::vector<std::wstring> subfolders(const std::wstring& folder) {
  std::vector<std::string> names = visibleEntries(folder, true);
  orderForList(names);
  std::vector<std::wstring> wide;
  for (const std::string& name : names) wide.push_back(widen(name));
  return wide;
}

}  // namespace

std::wstring currentDirectory() {
  wchar_t buffer[32768];
  const DWORD length = ::GetCurrentDirectoryW(32768, buffer);
  return length > 0 && length < 32768 ? fullPath(std::wstring(buffer, length)) : L"C:\\";
}

// --- Win32Dialog ---------------------------------------------------------------------------

Win32Dialog::Win32Dialog(Application& app, const std::string& caption, float width, float height)
    : app_(app), twipsPerPixel_(win32::twipsPerPixel()) {
  registerClassOnce();
  font_ = makeFont(L"MS Shell Dlg", 8, FW_NORMAL);
  {
    ScreenDc screen;
    SelectGuard selected(screen.get(), font_.get());
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(screen.get(), &metrics);
    lineHeight_ = metrics.tmHeight + 2;
  }
  RECT frame{0, 0, toPixels(width), toPixels(height)};
  ::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, WS_EX_CONTROLPARENT);
  window_ = ::CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, widen(caption).c_str(),
                              kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr,
                              nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (!window_) throw Failure(ErrorCode::kOutOfMemory, "settings dialog");
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ::SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&procedure));
  keyboardDialog = window_;
}

Win32Dialog::~Win32Dialog() {
  if (keyboardDialog == window_) keyboardDialog = nullptr;
  if (window_) {
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
}

void Win32Dialog::show() {
  ::ShowWindow(window_, SW_SHOWNORMAL);
  ::SetForegroundWindow(window_);
  ::UpdateWindow(window_);
}

void Win32Dialog::unload() {
  if (events_.unload) events_.unload();
  if (keyboardDialog == window_) keyboardDialog = nullptr;
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  ::DestroyWindow(window_);
  window_ = nullptr;
}

int Win32Dialog::toPixels(float twips) const {
  return static_cast<int>(std::lround(twips / twipsPerPixel_));
}

HWND Win32Dialog::addControl(const wchar_t* windowClass, const std::string& text, DWORD style,
                             const Place& place, DWORD extendedStyle, int extraHeight) {
  const int left = toPixels(place.left), top = toPixels(place.top);
  HWND control = ::CreateWindowExW(
      extendedStyle, windowClass, widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, left, top,
      toPixels(place.left + place.width) - left,
      toPixels(place.top + place.height) - top + extraHeight, window_,
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
  if (window_) ::DestroyWindow(control);
}

LRESULT CALLBACK Win32Dialog::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Dialog*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  return self ? self->handle(message, wParam, lParam)
              : ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32Dialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE: {
      // The dialog's activation: first shown, or back from another window of this program.
      DWORD otherProcess = 0;
      HWND other = reinterpret_cast<HWND>(lParam);
      if (other) ::GetWindowThreadProcessId(other, &otherProcess);
      const bool fromThisProgram = !activatedOnce_ || otherProcess == ::GetCurrentProcessId();
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(window_, focus)) focus_ = focus;
        return 0;
      }
      if (fromThisProgram) {
        activatedOnce_ = true;
        dispatchEvent(app_, events_.activate);
      }
      // As a dialog does: the focus goes back where it was, at first to the first control.
      if (!window_) return 0;
      if (!focus_ || !::IsChild(window_, focus_)) focus_ = ::GetNextDlgTabItem(window_, nullptr, FALSE);
      if (focus_) ::SetFocus(focus_);
      return 0;
    }
    case WM_CLOSE:
      dispatchEvent(app_, [this] { unload(); });
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == IDOK) {  // Enter: only a list that opens its entries takes it
        auto enter = enters_.find(::GetFocus());
        if (enter != enters_.end()) dispatchEvent(app_, enter->second);
        return 0;
      }
      auto command = commands_.find(id);
      if (command != commands_.end() && lParam != 0) {
        const WORD code = HIWORD(wParam);
        dispatchEvent(app_, [&] { command->second(code); });
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
  return ::DefWindowProcW(window_, message, wParam, lParam);
}

bool dialogKeyboardMessage(MSG& message) {
  return keyboardDialog != nullptr && ::IsWindow(keyboardDialog) &&
         ::IsDialogMessageW(keyboardDialog, &message);
}

// --- Simple controls --------------------------------------------------------------------------

Win32Button::Win32Button(Win32Dialog& dialog, const std::string& caption, const Place& place,
                         int index)
    : button_(dialog, dialog.addControl(L"BUTTON", caption, BS_PUSHBUTTON | WS_TABSTOP, place)),
      index_(index) {
  dialog.onCommand(button_.handle(), [this](WORD code) {
    if (code == BN_CLICKED && click_) click_(index_);
  });
}

Win32TextBox::Win32TextBox(Win32Dialog& dialog, const TextBoxStyle& style)
    : edit_(dialog, dialog.addControl(L"EDIT", style.text,
                                      ES_AUTOHSCROLL | WS_TABSTOP | (style.enabled ? 0 : WS_DISABLED),
                                      style.place, WS_EX_CLIENTEDGE)) {
  if (!style.fontName.empty()) {
    font_ = makeFont(widen(style.fontName), style.fontPoints, FW_NORMAL);
    ::SendMessageW(edit_.handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  }
}

std::string Win32TextBox::text() const {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(edit_.handle())) + 1, L'\0');
  text.resize(static_cast<size_t>(
      ::GetWindowTextW(edit_.handle(), &text[0], static_cast<int>(text.size()))));
  return narrow(text);
}

void Win32TextBox::setText(const std::string& text) {
  ::SetWindowTextW(edit_.handle(), widen(text).c_str());
}

Win32CheckBox::Win32CheckBox(Win32Dialog& dialog, const std::string& caption, const Place& place)
    : box_(dialog, dialog.addControl(L"BUTTON", caption,
                                     BS_AUTOCHECKBOX | BS_MULTILINE | WS_TABSTOP, place)) {}

int Win32CheckBox::value() const {
  return ::SendMessageW(box_.handle(), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void Win32CheckBox::setValue(int value) {
  ::SendMessageW(box_.handle(), BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

// --- Drive list ------------------------------------------------------------------------------

Win32DriveList::Win32DriveList(Win32Dialog& dialog, const Place& place)
    : combo_(dialog, dialog.addControl(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                                       place, 0, 12 * dialog.lineHeight())) {
  wchar_t buffer[512];
  const DWORD length = ::GetLogicalDriveStringsW(511, buffer);
  for (const wchar_t* root = buffer; length > 0 && length < 511 && *root; root += wcslen(root) + 1) {
    std::wstring drive{static_cast<wchar_t>(std::towlower(root[0])), L':'};
    std::wstring shown = drive;
    const UINT type = ::GetDriveTypeW(root);
    wchar_t volume[MAX_PATH + 1] = L"";
    // Only local disks are asked for their names: a floppy or a network drive may be slow.
    if ((type == DRIVE_FIXED || type == DRIVE_RAMDISK) &&
        ::GetVolumeInformationW(root, volume, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) &&
        volume[0] != L'\0')
      shown += L" [" + std::wstring(volume) + L"]";
    drives_.push_back(narrow(drive));
    ::SendMessageW(combo_.handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
  }
  const std::wstring current = currentDirectory();
  drive_ = current.size() >= 2 && current[1] == L':'
               ? narrow(std::wstring{static_cast<wchar_t>(std::towlower(current[0])), L':'})
               : std::string();
  auto at = std::find(drives_.begin(), drives_.end(), drive_);
  if (at != drives_.end()) ::SendMessageW(combo_.handle(), CB_SETCURSEL, static_cast<WPARAM>(at - drives_.begin()), 0);
  dialog.onCommand(combo_.handle(), [this](WORD code) {
    if (code != CBN_SELCHANGE) return;
    const LRESULT chosen = ::SendMessageW(combo_.handle(), CB_GETCURSEL, 0, 0);
    if (chosen >= 0 && static_cast<size_t>(chosen) < drives_.size())
      setDrive(drives_[static_cast<size_t>(chosen)]);
  });
}

void Win32DriveList::setDrive(const std::string& drive) {
  std::string chosen = drive.substr(0, 2);
  for (char& c : chosen) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (chosen == drive_) return;
  drive_ = chosen;
  auto at = std::find(drives_.begin(), drives_.end(), drive_);
  if (at != drives_.end()) ::SendMessageW(combo_.handle(), CB_SETCURSEL, static_cast<WPARAM>(at - drives_.begin()), 0);
  if (change_) change_();
}

// --- Directory list --------------------------------------------------------------------------

Win32DirList::Win32DirList(Win32Dialog& dialog, const Place& place)
    : dialog_(dialog),
      box_(dialog, dialog.addControl(L"LISTBOX", "",
                                     LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY |
                                         LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                                     place, WS_EX_CLIENTEDGE)),
      path_(currentDirectory()) {
  fill();
  dialog.onCommand(box_.handle(), [this](WORD code) {
    if (code == LBN_DBLCLK) openSelected();
  });
  dialog.onEnter(box_.handle(), [this] { openSelected(); });
  dialog.onDrawItem(box_.handle(), [this](const DRAWITEMSTRUCT& item) { draw(item); });
}

void Win32DirList::setPath(const std::string& path) {
  const std::wstring full = fullPath(widen(path));
  if (!isFolder(full)) {
    const std::wstring root = full.substr(0, 3);
    const bool driveReady = full.size() >= 2 && full[1] == L':' && isFolder(root);
    throw Failure(driveReady || full.rfind(L"\\\\", 0) == 0 ? ErrorCode::kPathNotFound
                                                            : ErrorCode::kDeviceUnavailable,
                  path);
  }
  if (sameFolder(full, path_)) return;
  path_ = full;
  fill();
  if (change_) change_();
}

std::vector<std::string> Win32DirList::entries() const {
  std::vector<std::string> paths;
  for (const Entry& entry : entries_) paths.push_back(narrow(entry.path));
  return paths;
}

void Win32DirList::openSelected() {
  const LRESULT chosen = ::SendMessageW(box_.handle(), LB_GETCURSEL, 0, 0);
  if (chosen >= 0 && static_cast<size_t>(chosen) < entries_.size())
    setPath(narrow(entries_[static_cast<size_t>(chosen)].path));
}

void Win32DirList::fill() {
  entries_.clear();
  // The open folders: the root ("c:\"), then each folder on the way down.
  size_t start = path_.rfind(L"\\\\", 0) == 0 ? path_.find(L'\\', path_.find(L'\\', 2) + 1) : 2;
  if (start == std::wstring::npos) start = path_.size();
  std::wstring root = path_.substr(0, std::min(start + 1, path_.size()));
  if (root.back() != L'\\') root += L'\\';
  entries_.push_back({root, root, 0, true});
  int depth = 1;
  for (size_t from = start + 1; from < path_.size(); ++depth) {
    size_t end = path_.find(L'\\', from);
    if (end == std::wstring::npos) end = path_.size();
    entries_.push_back({path_.substr(0, end), path_.substr(from, end - from), depth, true});
    from = end + 1;
  }
  const size_t current = entries_.size() - 1;
  for (const std::wstring& name : subfolders(path_)) {
    std::wstring child = path_;
    if (child.back() != L'\\') child += L'\\';
    entries_.push_back({child + name, name, depth, false});
  }
  ::SendMessageW(box_.handle(), WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(box_.handle(), LB_RESETCONTENT, 0, 0);
  for (const Entry& entry : entries_)
    ::SendMessageW(box_.handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.name.c_str()));
  ::SendMessageW(box_.handle(), LB_SETCURSEL, current, 0);
  ::SendMessageW(box_.handle(), WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(box_.handle(), nullptr, TRUE);
}

void Win32DirList::draw(const DRAWITEMSTRUCT& item) const {
  if (item.itemID == static_cast<UINT>(-1) || item.itemID >= entries_.size()) return;
  const Entry& entry = entries_[item.itemID];
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  HDC dc = item.hDC;
  RECT row = item.rcItem;
  ::FillRect(dc, &row, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  // A small folder: open ones drawn lighter, with their flap lifted.
  const int unit = std::max(1, dialog_.lineHeight() / 8);
  const int x = row.left + 2 + entry.depth * 5 * unit;
  const int middle = (row.top + row.bottom) / 2;
  RECT folder{x, middle - 3 * unit, x + 10 * unit, middle + 4 * unit};
  RECT tab{x, middle - 4 * unit, x + 4 * unit, middle - 3 * unit};
  UniqueHBrush fill(::CreateSolidBrush(entry.open ? RGB(255, 236, 139) : RGB(230, 190, 60)));
  UniqueHBrush edge(::CreateSolidBrush(RGB(150, 110, 20)));
  ::FillRect(dc, &tab, edge.get());
  ::FillRect(dc, &folder, fill.get());
  ::FrameRect(dc, &folder, edge.get());
  if (entry.open) {
    RECT flap{x + 2 * unit, middle - unit, x + 11 * unit, middle + 4 * unit};
    ::FrameRect(dc, &flap, edge.get());
  }
  RECT text = row;
  text.left = x + 13 * unit;
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  ::DrawTextW(dc, entry.name.c_str(), static_cast<int>(entry.name.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &row);
}

// --- File list -------------------------------------------------------------------------------

Win32FileListBox::Win32FileListBox(Win32Dialog& dialog, const std::string& pattern,
                                   const Place& place)
    : files_(pattern),
      box_(dialog, dialog.addControl(L"LISTBOX", "",
                                     LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                                     place, WS_EX_CLIENTEDGE)) {
  setPath(narrow(currentDirectory()));
}

void Win32FileListBox::setPath(const std::string& path) {
  files_.setPath(path);
  fill();
}

void Win32FileListBox::setPattern(const std::string& pattern) {
  files_.setPattern(pattern);
  if (!files_.path().empty()) setPath(files_.path());
}

void Win32FileListBox::fill() {
  ::SendMessageW(box_.handle(), WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(box_.handle(), LB_RESETCONTENT, 0, 0);
  for (int16_t i = 0; i < files_.listCount(); ++i)
    ::SendMessageW(box_.handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(files_.list(i)).c_str()));
  ::SendMessageW(box_.handle(), WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(box_.handle(), nullptr, TRUE);
}

}  // namespace qm::win32

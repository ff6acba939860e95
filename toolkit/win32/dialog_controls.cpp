#include "toolkit/win32/dialog_controls.h"

#include <algorithm>
#include <cwctype>

#include "toolkit/failure.h"
#include "toolkit/file_names.h"
#include "toolkit/win32/folders.h"

namespace qm::win32 {

namespace {

bool sameFolder(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::vector<std::wstring> subfolders(const std::wstring& folder) {
  std::vector<std::string> names = visibleEntries(folder, true);
  orderForList(names);
  std::vector<std::wstring> wide;
  for (const std::string& name : names) wide.push_back(widen(name));
  return wide;
}

// Refills a list box without drawing it row by row; selection -1 selects nothing.
void refill(HWND box, const std::vector<std::wstring>& rows, LRESULT selection = -1) {
  ::SendMessageW(box, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(box, LB_RESETCONTENT, 0, 0);
  for (const std::wstring& row : rows)
    ::SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
  if (selection >= 0) ::SendMessageW(box, LB_SETCURSEL, static_cast<WPARAM>(selection), 0);
  ::SendMessageW(box, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(box, nullptr, TRUE);
}

}  // namespace

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
    : edit_(dialog,
            dialog.addControl(L"EDIT", style.text,
                              ES_AUTOHSCROLL | WS_TABSTOP | (style.enabled ? 0 : WS_DISABLED),
                              style.place, WS_EX_CLIENTEDGE)) {
  if (!style.fontName.empty())
    dialog.setControlFont(edit_.handle(), widen(style.fontName), style.fontPoints);
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
                                       place, 0, 12)) {
  wchar_t buffer[512];
  const DWORD length = ::GetLogicalDriveStringsW(511, buffer);
  for (const wchar_t* root = buffer; length > 0 && length < 511 && *root;
       root += wcslen(root) + 1) {
    std::wstring drive{static_cast<wchar_t>(std::towlower(root[0])), L':'};
    std::wstring shown = drive;
    const UINT type = ::GetDriveTypeW(root);
    wchar_t volume[MAX_PATH + 1] = L"";
    // Only local disks are asked for their names: a floppy or a network drive may be slow.
    if ((type == DRIVE_FIXED || type == DRIVE_RAMDISK) &&
        ::GetVolumeInformationW(root, volume, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr,
                                0) &&
        volume[0] != L'\0')
      shown += L" [" + std::wstring(volume) + L"]";
    drives_.push_back(narrow(drive));
    ::SendMessageW(combo_.handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
  }
  const std::wstring current = currentDirectory();
  drive_ = current.size() >= 2 && current[1] == L':'
               ? narrow(std::wstring{static_cast<wchar_t>(std::towlower(current[0])), L':'})
               : std::string();
  selectShownDrive();
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
  selectShownDrive();
  if (change_) change_();
}

void Win32DriveList::selectShownDrive() {
  auto at = std::find(drives_.begin(), drives_.end(), drive_);
  if (at != drives_.end())
    ::SendMessageW(combo_.handle(), CB_SETCURSEL, static_cast<WPARAM>(at - drives_.begin()), 0);
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
  std::vector<std::wstring> rows;
  for (const Entry& entry : entries_) rows.push_back(entry.name);
  refill(box_.handle(), rows, static_cast<LRESULT>(current));
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
  std::vector<std::wstring> rows;
  for (int16_t i = 0; i < files_.listCount(); ++i) rows.push_back(widen(files_.list(i)));
  refill(box_.handle(), rows);
}

}  // namespace qm::win32

#include "toolkit/win32/application.h"

#include <windows.h>

#include "toolkit/win32/dialog.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/text.h"

namespace qm::win32 {

namespace {
const wchar_t kMutexName[] = L"Quillmoor Screen Saver single instance";
}

Win32Application::Win32Application() {
  mutex_.reset(::CreateMutexW(nullptr, FALSE, kMutexName));
  previousInstance_ = mutex_ && ::GetLastError() == ERROR_ALREADY_EXISTS;
}

void prepareProcess() {
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  auto setDirectories =
      bindFunction<SetDirectories>(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  if (setDirectories) setDirectories(0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
}

std::string Win32Application::title() const { return "Quillmoor Screen Saver"; }

std::string Win32Application::exeDirectory() const {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  size_t slash = path.find_last_of(L"\\/");
  std::wstring folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
  // "C:" is the root: keep its separator, as "C:\".
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  return narrow(folder);
}

std::wstring argumentsOf(const wchar_t* commandLine) {
  const wchar_t* p = commandLine;
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p) ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return std::wstring(p);
}

std::string Win32Application::commandLine() const {
  return narrow(argumentsOf(::GetCommandLineW()));
}

void Win32Application::doEvents() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (dialogKeyboardMessage(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

void Win32Application::end() { ::ExitProcess(0); }

int Win32Application::localHour() const {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return now.wHour;
}

int32_t Win32Application::showCursor(bool show) { return ::ShowCursor(show ? TRUE : FALSE); }

void Win32Application::showMessageBox(const std::string& text, int style,
                                      const std::string& caption) {
  // Owned by the program's active window (the show or the dialog), which it disables while it
  // is open, and topmost so that it stands above the full-screen show. Without an active
  // window it is task-modal instead.
  HWND owner = ::GetActiveWindow();
  ::MessageBoxW(owner, widen(text).c_str(), widen(caption).c_str(),
                static_cast<UINT>(style) | MB_TOPMOST | MB_SETFOREGROUND |
                    (owner ? 0u : static_cast<UINT>(MB_TASKMODAL)));
}

float Win32Screen::width() const {
  return static_cast<float>(::GetSystemMetrics(SM_CXSCREEN)) * twipsPerPixel();
}

float Win32Screen::height() const {
  return static_cast<float>(::GetSystemMetrics(SM_CYSCREEN)) * twipsPerPixel();
}

int runMessageLoop() {
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (dialogKeyboardMessage(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace qm::win32

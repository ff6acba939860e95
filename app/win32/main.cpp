// Win32: the entry point of the screen saver.
#include <windows.h>
#include <objbase.h>

#include <memory>

#include "app/slide.h"
#include "settings/setting_dialog.h"
#include "toolkit/win32/win32_toolkit.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // DLLs only from the system folder, never from beside the screen saver or the current folder.
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  auto setDirectories = reinterpret_cast<SetDirectories>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDirectories) setDirectories(0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
  // The executable has no manifest: ask for real device pixels here, before any window.
  ::SetProcessDPIAware();
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  static qm::win32::Win32Toolkit toolkit;
  static std::unique_ptr<qm::Setting> setting;
  static qm::Slide slide(toolkit, [] {
    setting = std::make_unique<qm::Setting>(toolkit);
    setting->show();
  });
  qm::startProgram(toolkit, slide);
  return qm::win32::runMessageLoop();
}

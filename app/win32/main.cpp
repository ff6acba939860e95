// Win32: the entry point of the screen saver.
#include <objbase.h>
#include <windows.h>

#include <memory>

#include "app/slide.h"
#include "settings/setting_dialog.h"
#include "toolkit/win32/application.h"
#include "toolkit/win32/common_controls.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/toolkit.h"
#include "toolkit/win32/unique_handle.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  qm::win32::prepareProcess();
  // The executable has no manifest: ask here, before any window, for real device pixels on
  // every monitor and for the themed common controls.
  qm::win32::declareDpiAwareness(qm::win32::systemDpiAwarenessCalls());
  static qm::win32::CommonControls6 commonControls;
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  // What start-up builds lives until the process ends; it is built under the dispatcher, so a
  // failure here (a window or buffer that cannot be made) is reported like any other.
  static qm::win32::Win32Application application;
  static qm::win32::Win32Toolkit toolkit(application);
  static std::unique_ptr<qm::Slide> slide;
  static std::unique_ptr<qm::Setting> setting;
  qm::dispatchEvent(application, [] {
    slide = std::make_unique<qm::Slide>(toolkit, [] {
      setting = std::make_unique<qm::Setting>(toolkit);
      setting->show();
    });
    qm::startProgram(toolkit, *slide);
  });
  return qm::win32::runMessageLoop();
}

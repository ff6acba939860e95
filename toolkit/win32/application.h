#pragma once
// Win32: process-wide services. Construct it before any window: it takes the single-instance
// mutex.
#include "toolkit/application.h"
#include "toolkit/win32/unique_handle.h"

namespace qm::win32 {

class Win32Application : public Application {
 public:
  Win32Application();
  std::string title() const override;
  std::string exeDirectory() const override;
  bool previousInstance() const override { return previousInstance_; }
  std::string commandLine() const override;
  void doEvents() override;
  [[noreturn]] void end() override;
  int localHour() const override;
  int32_t showCursor(bool show) override;
  void showMessageBox(const std::string& text, int style, const std::string& title) override;

 private:
  UniqueHandleObject mutex_;
  bool previousInstance_ = false;
};

class Win32Screen : public Screen {
 public:
  float width() const override;
  float height() const override;
};

// First thing at start-up: no system box ("There is no disk in the drive") for a folder on an
// empty drive or removed media, the program's own message instead; and DLLs only from the
// system folder, never from beside the screen saver or the current folder.
void prepareProcess();

// The text after the program's name in a raw command line, as the platform passes it.
std::wstring argumentsOf(const wchar_t* commandLine);

// Runs the message loop until WM_QUIT; returns its exit code.
int runMessageLoop();

}  // namespace qm::win32

#pragma once
// Process-wide services: the command line, the previous-instance test, pending events, the
// clock, the cursor, message boxes and the end of the program.
#include <cstdint>
#include <functional>
#include <string>

namespace qm {

// Style 48: exclamation icon and one OK button.
constexpr int kMessageExclamationOk = 48;

// end() never returns. A toolkit that cannot stop the process (the tests' in-memory one) throws
// this instead, and the dispatcher lets it pass to the caller of the event.
struct ProgramEnded {};

class Application {
 public:
  virtual ~Application() = default;
  virtual std::string title() const = 0;
  // Folder of the executable, UTF-8, without a final "\" except at a drive's root.
  virtual std::string exeDirectory() const = 0;
  // True when another copy of the executable already runs.
  virtual bool previousInstance() const = 0;
  // The text after the program's own name on the command line (possibly empty).
  virtual std::string commandLine() const = 0;
  // Runs the events already pending for the program's windows, then returns.
  virtual void doEvents() = 0;
  // Ends the process at once: no unload handlers run.
  [[noreturn]] virtual void end() = 0;
  // Hour of the current local time, 0 to 23.
  virtual int localHour() const = 0;
  // ShowCursor: returns the new display counter.
  virtual int32_t showCursor(bool show) = 0;
  // Modal; returns when OK is pressed. Shown above the full-screen show window, with the pointer
  // shown first (the show hides it), so that OK can be aimed at.
  void messageBox(const std::string& text, int style, const std::string& title) {
    while (showCursor(true) < 0) {
    }
    showMessageBox(text, style, title);
  }

  // Set by the dispatcher while it reports a failure that ends the program.
  bool endingOnFailure() const { return endingOnFailure_; }
  void markEndingOnFailure() { endingOnFailure_ = true; }

 protected:
  virtual void showMessageBox(const std::string& text, int style, const std::string& title) = 0;

 private:
  bool endingOnFailure_ = false;
};

class Screen {
 public:
  virtual ~Screen() = default;
  virtual float width() const = 0;   // twips
  virtual float height() const = 0;  // twips
};

// Runs one event handler. A Failure (or any other exception) is reported in a message box with
// its code and description, then the program ends. Once a report is on screen no other event is
// handled, so a timer cannot pile a second report on the first.
void dispatchEvent(Application& app, const std::function<void()>& handler);

}  // namespace qm

#pragma once
// The settings dialog and its controls. Positions and sizes are twips relative to the
// dialog's client area.
#include <cstdint>
#include <functional>
#include <string>

namespace qm {

struct Place {
  float left = 0, top = 0, width = 0, height = 0;
};

// Handlers the dialog hands its events to; each runs through the event dispatcher.
struct DialogEvents {
  std::function<void()> activate;  // first shown, and whenever it becomes active again
  std::function<void()> unload;    // runs on unload() and on a close by the user or system
};

// A modeless, ownerless dialog window with the product's icon. Its controls are created on it
// in keyboard focus order.
class Dialog {
 public:
  virtual ~Dialog() = default;
  virtual void setEvents(DialogEvents events) = 0;
  // Shows it at the window system's default place and makes it active.
  virtual void show() = 0;
  // Runs the unload handler; the dialog is gone afterwards.
  virtual void unload() = 0;
};

class DirList {
 public:
  virtual ~DirList() = default;
  // Full path, without a final "\" except at a drive's root ("c:\").
  virtual std::string path() const = 0;
  // Takes a full path with or without a final "\", or a drive alone ("c:": that drive's
  // current directory). Moving to another folder raises the change event before this
  // returns. Throws Failure 76 for a folder that cannot be opened, 68 for a drive not ready.
  virtual void setPath(const std::string& path) = 0;
  virtual void setChange(std::function<void()> change) = 0;
};

class DriveList {
 public:
  virtual ~DriveList() = default;
  // Text naming the chosen drive ("c:"), accepted by DirList::setPath.
  virtual std::string drive() const = 0;
  virtual void setDrive(const std::string& drive) = 0;
  virtual void setChange(std::function<void()> change) = 0;
};

struct TextBoxStyle {
  Place place;
  std::string text;
  bool enabled = true;   // a disabled box shows its text but takes neither typing nor focus
  std::string fontName;  // empty: the dialog's own font
  float fontPoints = 0;
};

class TextBox {
 public:
  virtual ~TextBox() = default;
  virtual std::string text() const = 0;
  virtual void setText(const std::string& text) = 0;
};

class CheckBox {
 public:
  virtual ~CheckBox() = default;
  virtual int value() const = 0;  // 0 unchecked, 1 checked
  virtual void setValue(int value) = 0;
};

class Button {
 public:
  virtual ~Button() = default;
  // The click handler receives the button's index in its control array.
  virtual void setClick(std::function<void(int index)> click) = 0;
};

}  // namespace qm

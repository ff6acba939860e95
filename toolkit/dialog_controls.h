#pragma once
// Controls of the settings dialog. Positions are twips relative to the dialog's client area.
#include <cstdint>
#include <functional>
#include <string>

namespace qm {

class DirList {
 public:
  virtual ~DirList() = default;
  virtual std::string path() const = 0;
  // Moving to another folder raises the change event before this returns. Throws Failure 76
  // for a folder that cannot be opened.
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

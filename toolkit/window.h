#pragma once
// The show window and the controls that live on it. All positions and sizes are twips
// (1/1440 inch), colours 32-bit RGB with red in the low byte.
#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/picture.h"

namespace qm {

// Handlers the window hands its events to. Unset handlers are ignored. Each runs through the
// event dispatcher, so a Failure thrown by it is reported and ends the program.
struct WindowEvents {
  std::function<void()> activate;
  std::function<void(int character)> keyPress;  // character keys only
  std::function<void()> mouseMove;              // every move of the pointer over the window
  std::function<void()> unload;                 // runs on unload() and on a close by the system
};

class Window {
 public:
  virtual ~Window() = default;
  virtual void setEvents(WindowEvents events) = 0;
  // Shows the window (the show window: full screen, topmost) and makes it active.
  virtual void show() = 0;
  virtual void hide() = 0;
  // Runs the unload handler; the window is gone afterwards.
  virtual void unload() = 0;
  // Fills the whole window with BackColor. What is drawn is kept until the next clear.
  virtual void clear() = 0;
  // Draws the whole picture at (x, y) stretched to w x h, in twips; parts outside are cut off.
  virtual void drawPicture(const Picture& picture, float x, float y, float w, float h) = 0;
  virtual int32_t backColor() const = 0;
  virtual void setBackColor(int32_t colour) = 0;
  // Inner size in twips; the full-screen show window equals Screen's width and height.
  virtual float scaleWidth() const = 0;
  virtual float scaleHeight() const = 0;
};

class Timer {
 public:
  virtual ~Timer() = default;
  virtual void setTick(std::function<void()> tick) = 0;
  virtual int32_t interval() const = 0;
  // Milliseconds from 0 (no ticks) to 0x7FFFFFFF; anything else is Invalid property value.
  virtual void setInterval(int32_t milliseconds) = 0;
  virtual bool enabled() const = 0;
  virtual void setEnabled(bool enabled) = 0;
};

// A text line drawn by its window with a transparent background.
class Label {
 public:
  virtual ~Label() = default;
  virtual bool visible() const = 0;
  virtual void setVisible(bool visible) = 0;
  virtual std::string caption() const = 0;
  virtual void setCaption(const std::string& caption) = 0;
  virtual float left() const = 0;
  virtual void setLeft(float twips) = 0;
  virtual float top() const = 0;
  virtual void setTop(float twips) = 0;
};

struct LabelStyle {
  float left = 0, top = 0, width = 0, height = 0;  // twips
  float fontPoints = 12;
  std::string fontName = "Times New Roman";
  bool bold = true;
  bool italic = true;
  int32_t colour = 255;
  std::string caption = "Label1";
};

// A list of the files of one folder that match a ";"-separated list of wildcards.
class FileList {
 public:
  virtual ~FileList() = default;
  virtual std::string path() const = 0;
  // Re-reads the folder at once. Throws Failure 76 when the folder does not exist.
  virtual void setPath(const std::string& path) = 0;
  virtual std::string pattern() const = 0;
  virtual void setPattern(const std::string& pattern) = 0;
  virtual int16_t listCount() const = 0;
  // Name without folder; empty text for an index outside the list.
  virtual std::string list(int16_t index) const = 0;
};

}  // namespace qm

#pragma once
// Win32: the settings dialog window, which hosts the classic controls of dialog_controls.h. Its
// client area keeps the designed size in twips on any monitor: when the window moves to a
// monitor of another DPI it lays itself out again, fonts included.
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "toolkit/dialog_controls.h"
#include "toolkit/win32/unique_handle.h"
#include "toolkit/win32/window_base.h"

namespace qm::win32 {

class Win32Dialog : public Dialog, public WindowBase {
 public:
  Win32Dialog(Application& app, const std::string& caption, float width, float height);
  ~Win32Dialog() override;

  void setEvents(DialogEvents events) override { events_ = std::move(events); }
  void show() override;
  void unload() override;

  // A child control at a place in twips, in the dialog's font, last in the focus order;
  // extraLines: lines of the dialog's font added to its height (a drop-down list's).
  HWND addControl(const wchar_t* windowClass, const std::string& text, DWORD style,
                  const Place& place, DWORD extendedStyle = 0, int extraLines = 0);
  // Gives the control a font of its own, kept at the dialog's DPI.
  void setControlFont(HWND control, const std::wstring& name, float points);
  // Notifications of a control (WM_COMMAND codes), run through the dispatcher.
  void onCommand(HWND control, std::function<void(WORD code)> handler);
  // Enter while the control has the focus (no button is the default one).
  void onEnter(HWND control, std::function<void()> handler);
  void onDrawItem(HWND control, std::function<void(const DRAWITEMSTRUCT&)> draw);
  // Forgets the control's handlers and destroys it.
  void removeControl(HWND control);
  int lineHeight() const { return lineHeight_; }

 private:
  struct FontDesign {
    std::wstring name;
    float points;
    int weight;
  };
  struct Layout {
    Place place;
    int extraLines;
    size_t font;  // index into fonts_
    bool ownerDrawnList;
  };

  LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The fonts and the line height at the window's DPI.
  void makeFonts();
  void placeControl(HWND control, const Layout& layout) const;
  // Everything again at a new DPI; the window's top-left corner goes to the given point.
  void layOut(POINT corner);
  // The window's outer size for its client area at this DPI.
  RECT frameAt(int dpi) const;

  float width_;
  float height_;
  std::vector<FontDesign> fontDesigns_;  // the dialog's own first
  std::vector<UniqueHFont> fonts_;
  std::map<HWND, Layout> layouts_;
  int lineHeight_ = 16;
  DialogEvents events_;
  bool activatedOnce_ = false;
  HWND focus_ = nullptr;  // the control that had the focus when the dialog was last left
  int nextId_ = 100;      // clear of IDOK and IDCANCEL, which Enter and Esc send
  std::map<int, std::function<void(WORD)>> commands_;
  std::map<HWND, std::function<void()>> enters_;
  std::map<HWND, std::function<void(const DRAWITEMSTRUCT&)>> drawers_;
};

// A control window on the dialog, removed with its handlers when the object goes.
class DialogControl {
 public:
  DialogControl(Win32Dialog& dialog, HWND control) : dialog_(dialog), control_(control) {}
  ~DialogControl() { dialog_.removeControl(control_); }
  DialogControl(const DialogControl&) = delete;
  DialogControl& operator=(const DialogControl&) = delete;
  HWND handle() const { return control_; }

 protected:
  Win32Dialog& dialog_;
  HWND control_;
};

// Lets the open dialog take Tab, the arrows and Enter; true when it took the message.
bool dialogKeyboardMessage(MSG& message);

UniqueHFont makeDialogFont(const std::wstring& name, float points, int weight, int dpi);

}  // namespace qm::win32

#pragma once
// Win32: a banner line of the show window, drawn by the window's paint over its buffer.
#include <windows.h>

#include <string>

#include "toolkit/win32/unique_handle.h"
#include "toolkit/window.h"

namespace qm::win32 {

class Win32ShowWindow;

class Win32Label : public Label {
 public:
  Win32Label(Win32ShowWindow& owner, const LabelStyle& style);
  ~Win32Label() override;
  bool visible() const override { return visible_; }
  void setVisible(bool visible) override;
  std::string caption() const override { return caption_; }
  void setCaption(const std::string& caption) override;
  float left() const override { return left_; }
  void setLeft(float twips) override;
  float top() const override { return top_; }
  void setTop(float twips) override;

  RECT pixelRect() const;
  void draw(HDC dc) const;

 private:
  void invalidate() const;
  Win32ShowWindow& owner_;
  LabelStyle style_;
  UniqueHFont font_;
  std::wstring wideCaption_;
  std::string caption_;
  float left_;
  float top_;
  bool visible_ = false;
};

}  // namespace qm::win32

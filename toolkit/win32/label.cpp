#include "toolkit/win32/label.h"

#include <cmath>

#include "toolkit/win32/text.h"
#include "toolkit/win32/window.h"

namespace qm::win32 {

Win32Label::Win32Label(Win32ShowWindow& owner, const LabelStyle& style)
    : owner_(owner), style_(style), caption_(style.caption), left_(style.left), top_(style.top) {
  const int height =
      -static_cast<int>(std::lround(style.fontPoints * 1440.0f / 72.0f / owner.twipsPerPixel()));
  font_.reset(::CreateFontW(height, 0, 0, 0, style.bold ? FW_BOLD : FW_NORMAL, style.italic, FALSE,
                            FALSE, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                            ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_ROMAN,
                            widen(style.fontName).c_str()));
  wideCaption_ = widen(caption_);
  owner_.addLabel(this);
}

Win32Label::~Win32Label() { owner_.removeLabel(this); }

void Win32Label::setVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  invalidate();
}

void Win32Label::setCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  wideCaption_ = widen(caption);
  if (visible_) invalidate();
}

void Win32Label::setLeft(float twips) {
  if (twips == left_) return;
  if (visible_) invalidate();
  left_ = twips;
  if (visible_) invalidate();
}

void Win32Label::setTop(float twips) {
  if (twips == top_) return;
  if (visible_) invalidate();
  top_ = twips;
  if (visible_) invalidate();
}

RECT Win32Label::pixelRect() const {
  return RECT{owner_.toPixels(left_), owner_.toPixels(top_), owner_.toPixels(left_ + style_.width),
              owner_.toPixels(top_ + style_.height)};
}

void Win32Label::invalidate() const {
  owner_.invalidateTwips(left_, top_, style_.width, style_.height);
}

void Win32Label::draw(HDC dc) const {
  RECT rect = pixelRect();
  SelectGuard selected(dc, font_.get());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, toColorRef(style_.colour));
  ::DrawTextW(dc, wideCaption_.c_str(), static_cast<int>(wideCaption_.size()), &rect,
              DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
}

}  // namespace qm::win32

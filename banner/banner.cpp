#include "banner/banner.h"

#include <cstdint>

namespace qm {

const char kCreditText[] = "Quillmoor Screen Saver, with our regards";

namespace {

constexpr float kLabel1AboveBottom = 11100;
constexpr float kReentryLeft = 200;

// The greeting hours, compared in this order, with label 1's line (and label 2's at 17).
struct Greeting {
  int16_t hour;
  const char* line1;
  const char* line2;  // null: label 2 is neither shown nor given a caption
};
constexpr Greeting kGreetings[] = {
    {8, "Good Morning!!", nullptr},
    {10, "How's everything , now the time is between 10 to 11 am !!", nullptr},
    {12, "It's lunch time , enjoy your Meal!!", nullptr},
    {17, "It's about to go back , work hard everday !!!!", "Hurray , times to go back !!"},
};

// Moves every label, shown or not, 20 twips right; one that has passed the right edge comes
// back at 200 first, so it reappears at 220.
void scroll(const Window& window, const std::array<Label*, 3>& labels, int16_t step) {
  for (Label* label : labels) {
    const float width = window.scaleWidth();
    if (label->left() > width) label->setLeft(kReentryLeft);
    label->setLeft(static_cast<float>(step) + label->left());
  }
}

}  // namespace

void bannerTick(Application& app, const Window& window, const std::array<Label*, 3>& labels) {
  const int16_t step = 20;
  const int hour = app.localHour();
  const Greeting* greeting = nullptr;
  for (const Greeting& candidate : kGreetings) {
    if (hour == candidate.hour) {
      greeting = &candidate;
      break;
    }
  }
  if (greeting == nullptr) {
    for (Label* label : labels) label->setVisible(false);
    return;
  }
  labels[0]->setVisible(true);
  labels[1]->setVisible(true);
  if (greeting->line2 != nullptr) labels[2]->setVisible(true);
  labels[0]->setCaption(kCreditText);
  labels[1]->setCaption(greeting->line1);
  labels[1]->setTop(window.scaleHeight() - kLabel1AboveBottom);
  if (greeting->line2 != nullptr) labels[2]->setCaption(greeting->line2);
  scroll(window, labels, step);
  app.doEvents();
}

}  // namespace qm

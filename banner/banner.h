#pragma once
// The greeting banner: three red lines that scroll across the show in the greeting hours.
#include <array>

#include "toolkit/application.h"
#include "toolkit/window.h"

namespace qm {

// Label 0's line at every greeting hour; it fits label 0's width at its font.
extern const char kCreditText[];

// One Timer2 tick. In a greeting hour it shows the hour's lines, moves all three labels and
// then runs pending events; in any other hour it only hides them. Sizes are read from window
// afresh at each use.
void bannerTick(Application& app, const Window& window, const std::array<Label*, 3>& labels);

}  // namespace qm

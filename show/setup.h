#pragma once
// Show set-up on every activation of the show window, and the slide interval it chooses.
#include <cstdint>
#include <string>

#include "toolkit/toolkit.h"

namespace qm {

// Folders with more listed pictures than this use the user's "time"; others 5000 ms.
constexpr int16_t kPicturesForUserInterval = 100;
constexpr int32_t kDefaultSlideInterval = 5000;

// Background from "background", the list pointed at "path", the interval from the count,
// then the timer enabled; returns the "path" it read. A failure ends it before the timer is
// enabled.
std::string setUpShow(Toolkit& toolkit, Window& window, FileList& pictures, Timer& slideTimer);

}  // namespace qm

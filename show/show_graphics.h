#pragma once
// The picture step: the next picture of the folder, fitted to the screen and centred.
#include <cstdint>

#include "sound/sound.h"
#include "toolkit/toolkit.h"

namespace qm {

struct ShowState {
  int16_t& pictureIndex;
  PictureRef& currentPicture;
};

// The fit rule: a picture is only ever shrunk, only its longer side is tested against the
// screen (a portrait by height, a landscape by width), and a square is never scaled. Twips.
Extent fitToScreen(Extent natural, Extent screen);

// One tick's picture: load, sound 7, clear, fit (only ever shrunk, longer side against the
// screen), centre, draw, advance with wrap, then tell the loader which picture comes next. A
// failing statement is skipped; a missing folder shows "No Directory Exists!" and ends the
// program.
void showGraphics(Toolkit& toolkit, Window& window, FileList& pictures, Module1& sounds,
                  ShowState state);

// Tells the loader which picture the next step will load (folder + entry pictureIndex) and the
// fit for the screen as it is now, so that it may be decoded while the show waits. Changes
// nothing the next step sees.
void prepareNextPicture(Toolkit& toolkit, const std::string& folder, const FileList& pictures,
                        int16_t pictureIndex);

}  // namespace qm

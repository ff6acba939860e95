#include "app/slide.h"

#include <cctype>
#include <string>

#include "banner/banner.h"
#include "show/setup.h"
#include "show/show_graphics.h"
#include "toolkit/int16.h"

namespace qm {

namespace {

// Label1(0..2) as designed: the banner lines of the greeting hours.
const std::array<LabelStyle, 3> kBannerLabels = [] {
  std::array<LabelStyle, 3> styles;
  styles[0].left = -90, styles[0].top = 10710, styles[0].width = 4845, styles[0].height = 645;
  styles[1].left = 1650, styles[1].top = 810, styles[1].width = 7845, styles[1].height = 315;
  styles[2].left = 7680, styles[2].top = 5100, styles[2].width = 5865, styles[2].height = 765;
  styles[2].fontPoints = 24;
  return styles;
}();

// Only the first two characters of the argument select the mode, in any letter case.
std::string modeOf(const std::string& arguments) {
  std::string mode = arguments.substr(0, 2);
  for (char& c : mode) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return mode;
}

}  // namespace

Slide::Slide(Toolkit& toolkit, std::function<void()> showSetting)
    : toolkit_(toolkit), showSetting_(std::move(showSetting)), module1_(toolkit) {
  window_ = toolkit_.createShowWindow();
  timer1_ = toolkit_.createTimer(*window_);
  timer1_->setInterval(0);
  timer1_->setEnabled(true);
  timer2_ = toolkit_.createTimer(*window_);
  timer2_->setInterval(50);
  file1_ = toolkit_.createFileList("*.bmp;*.jpg;*.gif");
  for (size_t i = 0; i < label1_.size(); ++i) {
    label1_[i] = toolkit_.createLabel(*window_, kBannerLabels[i]);
  }

  WindowEvents events;
  events.activate = [this] { activate(); };
  events.keyPress = [this](int character) { keyPress(character); };
  events.mouseMove = [this] { mouseMove(); };
  events.unload = [this] { unload(); };
  window_->setEvents(std::move(events));
  timer1_->setTick([this] { timer1Tick(); });
  timer2_->setTick([this] { timer2Tick(); });
}

void Slide::load() {
  Application& app = toolkit_.app();
  if (app.previousInstance()) app.end();
  const std::string mode = modeOf(app.commandLine());
  if (mode == "/p") {
    window_->hide();
    hiddenAtLoad_ = true;
    app.end();
  } else if (mode == "/s") {
    cursorShowCount_ = app.showCursor(false);
    timer2_->setEnabled(true);
  } else {
    window_->hide();
    hiddenAtLoad_ = true;
    showSetting_();
  }
}

void Slide::keyPress(int /*character*/) { toolkit_.app().end(); }

void Slide::mouseMove() {
  mouseMoveCount_ = addInt16(mouseMoveCount_, 1);
  if (mouseMoveCount_ > 5) window_->unload();
}

void Slide::unload() {
  cursorShowCount_ = toolkit_.app().showCursor(true);
  toolkit_.app().end();
}

void Slide::activate() {
  const std::string path = setUpShow(toolkit_, *window_, *file1_, *timer1_);
  // The picture of the first tick is decoded while the interval runs, as every later one is.
  prepareNextPicture(toolkit_, path, *file1_, pictureIndex_);
}

void Slide::timer1Tick() { showGraphics(); }

void Slide::timer2Tick() {
  bannerTick(toolkit_.app(), *window_, {label1_[0].get(), label1_[1].get(), label1_[2].get()});
}

void Slide::showGraphics() {
  qm::showGraphics(toolkit_, *window_, *file1_, module1_, {pictureIndex_, currentPicture_});
}

void startProgram(Toolkit& toolkit, Slide& slide) {
  dispatchEvent(toolkit.app(), [&slide] { slide.load(); });
  if (!slide.hiddenAtLoad()) slide.window().show();
}

}  // namespace qm

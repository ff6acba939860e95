#include "show/show_graphics.h"

#include "settings/settings.h"
#include "show/step_runner.h"
#include "toolkit/failure.h"
#include "toolkit/int16.h"

namespace qm {

namespace {

const Picture& loaded(const PictureRef& picture) {
  if (!picture) throw Failure(ErrorCode::kObjectNotSet, "no picture loaded yet");
  return *picture;
}

}  // namespace

Extent fitToScreen(Extent natural, Extent screen) {
  float w = natural.width, h = natural.height, ratio = 0;
  if (h > w) {  // portrait: clamp by height alone
    ratio = w / h;
    if (h > screen.height) {
      h = screen.height;
      w = h * ratio;
    }
  }
  if (w > h) {  // landscape, possibly after the clamp above: clamp by width alone
    ratio = h / w;
    if (w > screen.width) {
      w = screen.width;
      h = w * ratio;
    }
  }
  return {w, h};
}

void showGraphics(Toolkit& toolkit, Window& window, FileList& pictures, Module1& sounds,
                  ShowState state) {
  Application& app = toolkit.app();
  Screen& screen = toolkit.screen();
  StepRunner step([&app] {
    // No other event may run under this message: the program ends when it is closed.
    app.markEndingOnFailure();
    app.messageBox("The directory path does not exist! Create a directory with graphics first.",
                   kMessageExclamationOk, "No Directory Exists!");
    app.end();
  });

  std::string folder;
  float w = 0, h = 0, x = 0, y = 0;
  auto screenExtent = [&screen] { return Extent{screen.width(), screen.height()}; };
  step.run([&] {
    folder = ReadSetting(toolkit.settings(), "settings", "path", defaultPicturePath(app));
  });
  step.run([&] {
    // The loader need decode no more pixels than the picture will be drawn at; it may ask on
    // another thread, so the fit takes the screen by value.
    state.currentPicture = toolkit.pictures().load(
        folder + pictures.list(state.pictureIndex),
        [screen = screenExtent()](Extent natural) { return fitToScreen(natural, screen); });
  });
  step.run([&] { sounds.PlayResourceSound(7); });
  step.run([&] { window.clear(); });
  step.run([&] {
    w = himetricToTwips(static_cast<float>(loaded(state.currentPicture).widthHimetric()));
  });
  step.run([&] {
    h = himetricToTwips(static_cast<float>(loaded(state.currentPicture).heightHimetric()));
  });
  step.run([&] {
    const Extent fitted = fitToScreen({w, h}, screenExtent());
    w = fitted.width;
    h = fitted.height;
  });
  step.run([&] { x = (screen.width() - w) / 2.0f; });
  step.run([&] { y = (screen.height() - h) / 2.0f; });
  step.run([&] { window.drawPicture(loaded(state.currentPicture), x, y, w, h); });
  // ">=" rather than "=": an index left past the end of a list that shrank wraps too.
  if (step.test([&] { return state.pictureIndex >= subInt16(pictures.listCount(), 1); })) {
    step.run([&] { state.pictureIndex = 0; });
  } else {
    step.run([&] { state.pictureIndex = addInt16(state.pictureIndex, 1); });
  }
  step.run([&] { prepareNextPicture(toolkit, folder, pictures, state.pictureIndex); });
}

void prepareNextPicture(Toolkit& toolkit, const std::string& folder, const FileList& pictures,
                        int16_t pictureIndex) {
  // The fit takes the screen by value: the loader may call it on another thread, later.
  const Extent screen{toolkit.screen().width(), toolkit.screen().height()};
  toolkit.pictures().prepare(folder + pictures.list(pictureIndex),
                             [screen](Extent natural) { return fitToScreen(natural, screen); });
}

}  // namespace qm

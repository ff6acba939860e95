#include "show/setup.h"

#include "settings/settings.h"
#include "toolkit/convert.h"
#include "toolkit/int16.h"

namespace qm {

std::string setUpShow(Toolkit& toolkit, Window& window, FileList& pictures, Timer& slideTimer) {
  SettingsStore& store = toolkit.settings();
  window.setBackColor(toInt32(ReadSetting(store, "settings", "background", "0")));
  const std::string path =
      ReadSetting(store, "settings", "path", defaultPicturePath(toolkit.app()));
  pictures.setPath(path);
  const int16_t count = pictures.listCount();
  if (count > kPicturesForUserInterval) {
    const int32_t seconds = toInt32(ReadSetting(store, "settings", "time", "1000"));
    slideTimer.setInterval(mulInt32(seconds, 1000));
  } else {
    slideTimer.setInterval(kDefaultSlideInterval);
  }
  slideTimer.setEnabled(true);
  return path;
}

}  // namespace qm

#include "settings/setting_dialog.h"

#include "settings/settings.h"

namespace qm {

namespace {

constexpr char kWhite[] = "16777215";
constexpr char kBlack[] = "0";

}  // namespace

Setting::Setting(Toolkit& toolkit) : toolkit_(toolkit) {
  // Created in focus order; places in twips inside Frame1, whose corner is the client's.
  dialog_ = toolkit_.createDialog("Picture Directory setting ", 5775, 4725);
  Dialog& d = *dialog_;
  toolkit_.addFrame(d, "Select Graphics Path", {0, 0, 5775, 4725});
  command1_ = toolkit_.createButton(d, "Change Path", {2400, 2820, 1500, 375}, 0);
  drive1_ = toolkit_.createDriveList(d, {210, 2880, 2055, 315});
  dir1_ = toolkit_.createDirList(d, {210, 720, 2055, 2115});
  file1_ = toolkit_.createFileListBox(d, "*.jpg;*.gif;*.bmp;*.wmf", {2400, 690, 3255, 1455});
  text1_ = toolkit_.createTextBox(d, {{210, 240, 5415, 435}, "", false, "", 0});
  text2_ = toolkit_.createTextBox(d, {{210, 3420, 615, 315}, "8", true, "Times New Roman", 8.25f});
  toolkit_.addLabel(d,
                    "Please enter time interval for picture displaying (in Sec) if you have more "
                    "picture to load (will only activate if you have more that 100 of picture), "
                    "by default the setting is 8 sec",
                    {930, 3330, 4185, 825});
  command2_ = toolkit_.createButton(d, "Cancel", {4140, 2820, 1500, 375}, 0);
  check1_ = toolkit_.createCheckBox(
      d, "Show White Color background for better viewing of darkcolor picture",
      {2400, 2310, 3225, 375});

  dialog_->setEvents({[this] { activate(); }, [this] { unload(); }});
  drive1_->setChange([this] { drive1Change(); });
  dir1_->setChange([this] { dir1Change(); });
  command1_->setClick([this](int index) { command1Click(index); });
  command2_->setClick([this](int) { command2Click(); });
}

void Setting::activate() { text1_->setText(dir1_->path()); }

void Setting::drive1Change() { dir1_->setPath(drive1_->drive()); }

void Setting::dir1Change() {
  file1_->setPath(dir1_->path());
  text1_->setText(file1_->path());
}

void Setting::command1Click(int index) {
  if (index == 0) changePath();
}

void Setting::command2Click() { dialog_->unload(); }

void Setting::unload() { toolkit_.app().end(); }

void Setting::changePath() {
  settingsPath_ = text1_->text();
  if (settingsPath_.empty() || settingsPath_.back() != '\\') settingsPath_ += '\\';
  // Moving the list re-points File1 (its change handler runs inside) before the count.
  dir1_->setPath(settingsPath_);
  if (file1_->listCount() == 0) {
    toolkit_.app().messageBox("No Graphics in this directory to display!", kMessageExclamationOk,
                              "No Graphics!");
    return;
  }
  SettingsStore& store = toolkit_.settings();
  WriteSetting(store, "Settings", "Path", settingsPath_);
  WriteSetting(store, "settings", "time", text2_->text());
  WriteSetting(store, "Settings", "background", check1_->value() == 1 ? kWhite : kBlack);
  dialog_->unload();
}

}  // namespace qm

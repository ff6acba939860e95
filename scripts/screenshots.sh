#!/usr/bin/env bash
# Makes the README's pictures in docs/ from the built screen saver under Xvfb + Wine: the show
# on a photo, the greeting at 17 o'clock, the settings dialog and its "No Graphics!" message.
# It runs in a Wine prefix of its own (build/wineprefix-shots) in which Wine draws the window
# frames itself, since Xvfb has no window manager; the caption buttons need Wine's Marlett
# font, taken from Debian's fonts-wine package into that prefix only.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
source "$root/scripts/host.sh"
QM_WINEPREFIX="$root/build/wineprefix-shots"
source "$root/scripts/wine-env.sh"
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [[ ! -f $fonts/marlett.ttf ]]; then
  deb=$(mktemp -d)
  (cd "$deb" && apt-get download -q fonts-wine >/dev/null 2>&1) || {
    echo "apt-get download fonts-wine failed (run apt-get update first?)" >&2; exit 1; }
  dpkg-deb -x "$deb"/fonts-wine_*.deb "$deb/x"
  cp "$deb/x/usr/share/wine/fonts/marlett.ttf" "$fonts/"
  rm -rf "$deb"
fi
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
wineserver -w
pictures="$WINEPREFIX/drive_c/users/Public/Pictures"
rm -rf "$pictures/Quillmoor"
mkdir -p "$pictures/Quillmoor/Samples" "$pictures/Quillmoor/Dogs" "$pictures/Quillmoor/Mountains" \
         "$pictures/Quillmoor/Empty"
cp "$root"/samples/*.{jpg,bmp,gif} "$pictures/Quillmoor/Samples/"
cp "$root/samples/02 two dogs.jpg" "$pictures/Quillmoor/Dogs/"
cp "$root/samples/01 picos de europa.jpg" "$pictures/Quillmoor/Mountains/"
mkdir -p "$root/docs"
python3 - "$root" "$root/$QM_TREE/Quillmoor Screen Saver.scr" "$pictures/Quillmoor" <<'EOF'
import os
import subprocess
import sys
import time

root, scr, pictures = sys.argv[1:4]
docs = os.path.join(root, "docs")
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
from saver import (SCREEN_H, SCREEN_W, Saver, Shot, reset_settings,  # noqa: E402
                   show_window_visible, store_setting, wait_until, window_titled, xdotool)

BLACK = (0, 0, 0)
DIALOG = "Picture Directory setting "
CHANGE_PATH = (213, 222)  # the button, from the dialog frame's top-left corner
BANDS = ((714, 757), (28, 49), (340, 391))  # rows of the three greeting lines at 96 DPI


def save(shot, name, *operations):
    out = os.path.join(docs, name)
    subprocess.run(["convert", "-size", "%dx%d" % (SCREEN_W, SCREEN_H), "-depth", "8", "rgb:-",
                    *operations, "-strip", "PNG8:" + out], input=shot.raw, check=True)
    print("docs/%s: %d bytes" % (name, os.path.getsize(out)))


def photo(shot, name):
    save(shot, name, "-resize", "640x", "-dither", "FloydSteinberg", "-colors", "256")


def window(shot, title, name):
    _, x, y, width, height = window_titled(title)
    save(shot, name, "-crop", "%dx%d+%d+%d" % (width, height, x, y), "+repage")


def show(folder, hour):
    now = time.gmtime()
    if now.tm_min >= 57:  # keep the hour from turning while the shots are taken
        time.sleep((60 - now.tm_min) * 60 - now.tm_sec + 2)
    reset_settings()
    store_setting("Settings", "Path", "C:\\users\\Public\\Pictures\\Quillmoor\\%s\\" % folder)
    xdotool("mousemove", SCREEN_W - 1, SCREEN_H - 1)
    saver = Saver(scr, "/s", hour=hour)
    drawn = lambda: show_window_visible() and Shot().pixel(SCREEN_W // 2, SCREEN_H // 2) != BLACK
    if not wait_until(drawn, 30):
        sys.exit("the show drew no picture")
    time.sleep(0.5)
    return saver


def reddish(pixel):
    return pixel[0] >= 200 and pixel[1] <= 80 and pixel[2] <= 80


def line_widths(shot):
    """The width in pixels of the red in each of the three greeting lines' rows."""
    widths = []
    for top, bottom in BANDS:
        columns = [x for y in range(top, bottom, 2) for x in range(0, SCREEN_W, 2)
                   if reddish(shot.pixel(x, y))]
        widths.append(max(columns) - min(columns) if columns else 0)
    return widths


def whole_greeting():
    """A shot with the three lines whole: each as wide as the widest seen while they scroll
    once across the screen (about 40 s), none cut at the right edge."""
    widest = [0, 0, 0]
    end = time.monotonic() + 42
    while time.monotonic() < end:
        widest = [max(pair) for pair in zip(widest, line_widths(Shot()))]
        time.sleep(0.3)
    end = time.monotonic() + 60
    while time.monotonic() < end:
        shot = Shot()
        if all(w >= most - 4 for w, most in zip(line_widths(shot), widest)):
            return shot
        time.sleep(0.3)
    sys.exit("the greeting lines never stood whole on the screen together")


saver = show("Dogs", hour=3)  # an hour without greeting
photo(Shot(), "show.png")
saver.stop()

saver = show("Mountains", hour=17)
photo(whole_greeting(), "greeting.png")
saver.stop()

reset_settings()
saver = Saver(scr, "/c", cwd=os.path.join(pictures, "Samples"))
if not wait_until(lambda: window_titled(DIALOG), 20):
    sys.exit("no settings dialog")
time.sleep(1)
window(Shot(), DIALOG, "settings.png")
saver.stop()

saver = Saver(scr, "/c", cwd=os.path.join(pictures, "Empty"))
if not wait_until(lambda: window_titled(DIALOG), 20):
    sys.exit("no settings dialog")
time.sleep(1)
_, x, y, _, _ = window_titled(DIALOG)
xdotool("mousemove", x + CHANGE_PATH[0], y + CHANGE_PATH[1], "click", 1)
if not wait_until(lambda: window_titled("No Graphics!"), 10):
    sys.exit("no \"No Graphics!\" message")
time.sleep(0.5)
window(Shot(), "No Graphics!", "no-graphics.png")
xdotool("key", "Return")
saver.stop()
reset_settings()
EOF

"""The show on two monitors. Xvfb gives Wine one monitor, so these run on an Xorg of their own
(dummy driver: 1024x768 primary at (0, 0), an 800x600 to its right) with a Wine prefix of their
own. Needs root and the packages of scripts/install-deps.sh. Usage: two_monitors.py SCR"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import run_e2e  # noqa: E402
from run_e2e import BLACK, EndToEnd, make_picture  # noqa: E402
from saver import (Shot, cursor_visible, exactly, key, move_mouse, run,  # noqa: E402
                   wait_until)

PRIMARY = (0, 0, 1024, 768)
SECOND = (1024, 0, 1824, 600)
BELOW_SECOND = (1024, 600, 1824, 768)  # on the X screen, on no monitor
ROOT_COLOUR = (51, 102, 204)  # the bare X screen, so that an uncovered area shows
# Wine's services started here outlive the call and keep its output open: no pipes.
QUIET = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}

XORG_CONF = """
Section "ServerFlags"
  Option "AutoAddDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 65536
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  SubSection "Display"
    Depth 24
    Virtual 1824 768
  EndSubSection
EndSection
"""


class ShowOnTwoMonitors(EndToEnd):
    RED, EDGE = (220, 0, 0), (255, 0, 255)

    def test_black_cover_and_only_a_character_key_pressed_over_it_ends_the_show(self):
        # Its colour from the settings, and moves over it, are seen by the Windows-side test.
        make_picture(self.folder + "/red.bmp", 640, 400, self.RED, self.EDGE)
        self.show_folder()
        move_mouse(512, 384)
        saver = self.start("/s")
        centred = (192, 184, 832, 584)
        self.assertTrue(wait_until(lambda: Shot().box_of(exactly(self.EDGE), PRIMARY) == centred,
                                   25), "no picture centred on the primary monitor")
        self.assertFalse(cursor_visible(), "the cursor shows over the show")
        shot = Shot()
        self.assertTrue(shot.all_of(BLACK, SECOND, 8), "the second monitor is not covered")
        self.assertTrue(shot.all_of(ROOT_COLOUR, BELOW_SECOND, 8), "covered beyond the monitor")
        run("xdotool", "click", "1")  # on the show window
        move_mouse(1400, 300)
        key("shift", "ctrl", "Left", "F5")
        self.assertFalse(saver.wait_exit(1.5), "ended by a key that types nothing, or a click")
        self.assertFalse(cursor_visible(), "the cursor shows over the cover")
        key("a")
        self.assertTrue(saver.wait_exit(10), "a key over the second monitor did not end the show")


def start_xorg(folder):
    """Starts an Xorg of our own on a free display, which everything started later uses."""
    config = os.path.join(folder, "xorg.conf")
    with open(config, "w") as out:
        out.write(XORG_CONF)
    number = next(n for n in range(140, 200) if not os.path.exists("/tmp/.X11-unix/X%d" % n)
                  and not os.path.exists("/tmp/.X%d-lock" % n))
    os.environ["DISPLAY"] = ":%d" % number
    return subprocess.Popen(["Xorg", ":%d" % number, "-config", config, "-noreset", "-nolisten",
                             "tcp", "-logfile", os.path.join(folder, "xorg.log")], **QUIET)


def set_up_two_monitors(xorg, folder, win_tests):
    """Places the two monitors, then starts a Wine session that lasts until the end (a new one
    would read the displays again) and waits until the Windows-side test sees them as placed."""
    socket = "/tmp/.X11-unix/X" + os.environ["DISPLAY"][1:]
    wait_until(lambda: os.path.exists(socket) or xorg.poll() is not None, 20)
    if xorg.poll() is not None or not os.path.exists(socket):
        with open(os.path.join(folder, "xorg.log")) as log:
            raise RuntimeError("Xorg failed (not installed, not root?):\n" + log.read()[-1500:])
    for arguments in (("--output", "DUMMY0", "--mode", "1024x768", "--pos", "0x0", "--primary"),
                      ("--addmode", "DUMMY1", "800x600"),
                      ("--output", "DUMMY1", "--mode", "800x600", "--right-of", "DUMMY0"),
                      # A full query: until one is made, the server's cached answer, which Wine
                      # reads, still lists the second output without its place.
                      ()):
        subprocess.run(["xrandr", *arguments], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["xsetroot", "-solid", "#%02x%02x%02x" % ROOT_COLOUR], check=True)
    if not os.path.exists(os.path.join(os.environ["WINEPREFIX"], "system.reg")):
        print("Preparing the two-monitor Wine prefix (once, about twenty seconds)...", flush=True)
        subprocess.run(["wine", "wineboot", "-i"], **QUIET)
        subprocess.run(["wineserver", "-w"])
    subprocess.run(["wineserver", "-p"], check=True, **QUIET)
    env = dict(os.environ, QM_EXPECT_OTHER_MONITORS=",".join(map(str, SECOND)))
    command = ["wine", win_tests,
               "--gtest_filter=SecondaryMonitors.AreTheOnesTheTwoMonitorRunSetUp"]
    answer = os.path.join(folder, "listed.txt")

    def listed():
        with open(answer, "w") as out:
            return subprocess.run(command, env=env, timeout=60, stdout=out,
                                  stderr=subprocess.STDOUT).returncode == 0

    # A prefix's first programs can be slow while Wine finishes setting it up.
    if not wait_until(listed, 120, step=1):
        with open(answer) as out:
            raise RuntimeError("Wine never listed the second monitor:\n" + out.read()[-1500:])


def main():
    scr = run_e2e.SCR = os.path.abspath(sys.argv.pop(1))
    base_prefix = os.environ.get("WINEPREFIX") or os.path.join(os.path.dirname(scr), "wineprefix")
    os.environ["WINEPREFIX"] = base_prefix.rstrip("/") + "-two-monitors"
    folder = tempfile.mkdtemp(prefix="qm-xorg-")
    xorg = start_xorg(folder)
    try:
        set_up_two_monitors(xorg, folder, os.path.join(os.path.dirname(scr), "win_tests.exe"))
        result = unittest.main(verbosity=2, exit=False).result
    finally:
        subprocess.run(["wineserver", "-k"], **QUIET)
        xorg.terminate()
        xorg.wait(timeout=10)
        shutil.rmtree(folder, True)
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()

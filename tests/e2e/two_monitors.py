"""End-to-end tests of the show on two monitors. Xvfb gives Wine one monitor only, so these cases
run on an X server of their own: Xorg with the dummy driver and two RandR outputs, a primary
1024x768 at (0, 0) and an 800x600 to its right, with a Wine prefix of their own beside the one
the other tests use. Needs root (Xorg) and the packages of scripts/install-deps.sh.
Usage: two_monitors.py PATH-TO-SCR"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from saver import (Saver, cursor_visible, key, move_mouse, reset_settings,  # noqa: E402
                   store_setting, wait_until)
from run_e2e import make_picture, wine_path  # noqa: E402

SCR = None
SHOTS = os.environ.get("QM_SHOTS", "/tmp")
ROOT_W, ROOT_H = 1824, 768
PRIMARY = (0, 0, 1024, 768)
SECOND = (1024, 0, 1824, 600)
OTHER_MONITORS = "1024,0,1824,600"  # as the Windows-side test lists them
BELOW_SECOND = (1024, 600, 1824, 768)  # on the X screen, on no monitor
BLACK, WHITE = (0, 0, 0), (255, 255, 255)
ROOT_COLOUR = (51, 102, 204)  # the bare X screen, so that an uncovered area shows

XORG_CONF = """
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
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
  Modeline "1024x768" 63.50 1024 1072 1176 1328 768 771 775 798 -hsync +vsync
  Modeline "800x600" 38.25 800 832 912 1024 600 603 607 624 -hsync +vsync
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1024x768"
    Virtual 1824 768
  EndSubSection
EndSection
"""


class TwoMonitorServer:
    """An Xorg of our own on a free display, configured as two monitors side by side."""

    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="qm-xorg-")
        config = os.path.join(self.folder, "xorg.conf")
        with open(config, "w") as out:
            out.write(XORG_CONF)
        self.number = next(n for n in range(140, 200)
                           if not os.path.exists("/tmp/.X11-unix/X%d" % n)
                           and not os.path.exists("/tmp/.X%d-lock" % n))
        self.display = ":%d" % self.number
        self.log = os.path.join(self.folder, "xorg.log")
        self.process = subprocess.Popen(
            ["Xorg", self.display, "-config", config, "-noreset", "-nolisten", "tcp",
             "-logfile", self.log], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        socket = "/tmp/.X11-unix/X%d" % self.number
        if not wait_until(lambda: os.path.exists(socket) or self.process.poll() is not None, 20):
            self.stop()
            raise RuntimeError("Xorg did not start in time")
        if self.process.poll() is not None:
            raise RuntimeError("Xorg failed (is it installed, are we root?):\n" + self.log_tail())
        self.xrandr("--output", "DUMMY0", "--mode", "1024x768", "--pos", "0x0", "--primary")
        self.xrandr("--addmode", "DUMMY1", "800x600")
        self.xrandr("--output", "DUMMY1", "--mode", "800x600", "--right-of", "DUMMY0")
        # A full query of the outputs: until one is made, the server's cached answer, which Wine
        # reads, still lists the second output without its place.
        self.xrandr()
        subprocess.run(["xsetroot", "-solid", "#%02x%02x%02x" % ROOT_COLOUR], env=self.env(), check=True)

    def env(self):
        return dict(os.environ, DISPLAY=self.display)

    def xrandr(self, *arguments):
        subprocess.run(["xrandr", *arguments], env=self.env(), check=True,
                       stdout=subprocess.DEVNULL)

    def log_tail(self):
        try:
            with open(self.log) as log:
                return "".join(log.readlines()[-15:])
        except OSError:
            return "(no log)"

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(timeout=10)
        shutil.rmtree(self.folder, True)


class RootShot:
    """A screenshot of the whole two-monitor X screen."""

    def __init__(self, path=None):
        raw = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                             check=True, capture_output=True).stdout
        if len(raw) != ROOT_W * ROOT_H * 3:
            raise AssertionError("unexpected screenshot size %d" % len(raw))
        self.raw = raw
        if path:
            subprocess.run(["convert", "-size", "%dx%d" % (ROOT_W, ROOT_H), "-depth", "8",
                            "rgb:-", path], input=raw, check=True)

    def pixel(self, x, y):
        i = (y * ROOT_W + x) * 3
        return tuple(self.raw[i:i + 3])

    def all_of(self, colour, area, step=8):
        left, top, right, bottom = area
        return all(self.pixel(x, y) == colour
                   for y in range(top, bottom, step) for x in range(left, right, step))

    def box_of(self, colour, area):
        """Bounding box (left, top, right, bottom; exclusive) of this colour inside the area."""
        left, top, right, bottom = area
        xs, ys = [], []
        for y in range(top, bottom):
            row = self.raw[(y * ROOT_W + left) * 3:(y * ROOT_W + right) * 3]
            for x in range(right - left):
                if tuple(row[x * 3:x * 3 + 3]) == colour:
                    xs.append(left + x)
                    ys.append(y)
        return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None


class ShowOnTwoMonitors(unittest.TestCase):
    RED, EDGE = (220, 0, 0), (255, 0, 255)

    def setUp(self):
        reset_settings()
        self.addCleanup(reset_settings)
        self.folder = tempfile.mkdtemp(prefix="qm-monitors-", dir=SHOTS)
        self.addCleanup(shutil.rmtree, self.folder, True)
        make_picture(self.folder + "/red.bmp", 640, 400, self.RED, self.EDGE)
        store_setting("Settings", "Path", wine_path(self.folder) + "\\")
        move_mouse(512, 384)

    def start(self, background):
        saver = Saver(SCR, "/s")
        self.addCleanup(saver.stop)
        def corners_drawn():
            shot = RootShot()
            return shot.pixel(192, 184) == shot.pixel(831, 583) == self.EDGE

        self.assertTrue(wait_until(corners_drawn, 25), "no picture appeared")
        shot = RootShot()
        self.assertEqual(shot.box_of(self.EDGE, PRIMARY), (192, 184, 832, 584),
                         "the picture is not centred on the primary monitor")
        self.assertTrue(shot.all_of(background, SECOND), "the second monitor is not covered")
        self.assertTrue(shot.all_of(ROOT_COLOUR, BELOW_SECOND), "covered beyond the monitor")
        self.assertEqual(shot.pixel(191, 300), background)
        self.assertEqual(shot.pixel(1023, 700), background)
        return saver, shot

    def test_black_cover_and_a_key_pressed_over_it_ends_the_show(self):
        saver, _ = self.start(BLACK)
        RootShot(os.path.join(SHOTS, "two-monitors-black.png"))
        move_mouse(1400, 300)
        time.sleep(0.5)
        self.assertTrue(saver.alive())
        self.assertFalse(cursor_visible(), "the cursor shows over the cover")
        key("a")
        self.assertTrue(saver.wait_exit(10), "a key over the second monitor did not end the show")

    def test_white_cover_and_mouse_moves_over_it_count_toward_the_six(self):
        store_setting("Settings", "background", "16777215")
        saver, _ = self.start(WHITE)
        RootShot(os.path.join(SHOTS, "two-monitors-white.png"))
        moves = 0
        for moves in range(1, 8):
            move_mouse(1100 + 60 * moves, 100 + 40 * moves)
            if saver.wait_exit(1.0):
                break
            self.assertTrue(moves < 6, "still running after six moves over the second monitor")
        self.assertFalse(saver.alive())
        self.assertIn(moves, (5, 6))
        self.assertTrue(cursor_visible())


def wait_for_two_monitors(win_tests):
    """Starts a Wine session that lasts until the end (a new one would read the displays again)
    and waits until the Windows-side test sees the second monitor where it was put."""
    # Wine's services started here outlive the call and keep its output open: no pipes.
    quiet = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
    subprocess.run(["wineserver", "-p"], check=True, **quiet)
    env = dict(os.environ, QM_EXPECT_OTHER_MONITORS=OTHER_MONITORS)
    command = ["wine", win_tests, "--gtest_filter=SecondaryMonitors.AreTheOnesTheTwoMonitorRunSetUp"]
    seen = wait_until(
        lambda: subprocess.run(command, env=env, timeout=60, **quiet).returncode == 0, 30, step=1)
    if not seen:
        raise RuntimeError("Wine never listed the second monitor")


def main():
    global SCR
    SCR = os.path.abspath(sys.argv.pop(1))
    server = TwoMonitorServer()
    base_prefix = os.environ.get("WINEPREFIX") or os.path.join(os.path.dirname(SCR), "wineprefix")
    os.environ["WINEPREFIX"] = base_prefix.rstrip("/") + "-two-monitors"
    os.environ["DISPLAY"] = server.display
    try:
        if not os.path.exists(os.path.join(os.environ["WINEPREFIX"], "system.reg")):
            print("Preparing the two-monitor Wine prefix (once, about twenty seconds)...",
                  flush=True)
            subprocess.run(["wine", "wineboot", "-i"], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-w"])
        wait_for_two_monitors(os.path.join(os.path.dirname(SCR), "win_tests.exe"))
        result = unittest.main(verbosity=2, exit=False).result
    finally:
        subprocess.run(["wineserver", "-k"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        server.stop()
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()

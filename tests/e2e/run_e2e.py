"""End-to-end tests of the built screen saver under Xvfb + Wine (DISPLAY and WINEPREFIX set by
the test script). Usage: run_e2e.py PATH-TO-SCR [TestClass ...]"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from saver import (DESKTOP_KEY, SCREEN_H, SCREEN_W, Saver, Shot, reg, reset_settings,
                   show_window_visible, store_setting, stored_settings, wait_until, window_titled,
                   xdotool)

SCR = None
SHOTS = os.environ.get("QM_SHOTS", "/tmp")
BLACK, WHITE = (0, 0, 0), (255, 255, 255)


def make_picture(path, width, height, fill, edge=None):
    """A solid picture with a one-pixel edge of another colour, in the format of its name."""
    fmt = {"bmp": "BMP3", "gif": "GIF", "jpg": "JPG"}[path.rsplit(".", 1)[1]]
    subprocess.run(["convert", "-size", "%dx%d" % (width - 2, height - 2),
                    "xc:#%02x%02x%02x" % fill, "-bordercolor", "#%02x%02x%02x" % (edge or fill),
                    "-border", "1", "-type", "TrueColor", fmt + ":" + path], check=True)


def wine_path(path):
    return "Z:" + path.replace("/", "\\")


class EndToEnd(unittest.TestCase):
    """No settings stored before or after each test; a scratch folder for its pictures."""

    def setUp(self):
        reset_settings()
        self.addCleanup(reset_settings)
        self.folder = self.enterContext(tempfile.TemporaryDirectory(prefix="qm-", dir=SHOTS))

    def start(self, *arguments, **options):
        saver = Saver(SCR, *arguments, **options)
        self.addCleanup(saver.stop)
        return saver

    def show_folder(self):
        store_setting("Settings", "Path", wine_path(self.folder) + "\\")


class PictureShow(EndToEnd):
    YELLOW, EDGE = (230, 230, 0), (255, 0, 255)

    def test_a_larger_picture_is_cut_off_unscaled_and_a_vanished_folder_ends_the_show(self):
        # Where a smaller picture lands, to the pixel, is the dialog test's own.
        make_picture(self.folder + "/square.gif", 1000, 1000, self.YELLOW, self.EDGE)
        self.show_folder()
        saver = self.start("/s")
        self.assertTrue(wait_until(lambda: Shot().pixel(512, 384) == self.YELLOW, 25))
        time.sleep(0.3)  # settled
        # Its left and right edges show; its top and bottom edges lie beyond the screen.
        self.assertEqual(Shot().box_of(self.EDGE), (12, 0, 1012, 768))
        xdotool("click", 1, "key", "shift", "ctrl", "Left", "F5")
        self.assertFalse(saver.wait_exit(1.5), "ended by a click or a key that types nothing")

        # The folder disappears: the next step says so, above the show, which ends when the
        # message is closed.
        shutil.rmtree(self.folder)
        self.assertTrue(wait_until(lambda: window_titled("No Directory Exists!"), 12))
        self.assertTrue(saver.alive())
        xdotool("key", "Return")
        self.assertTrue(saver.wait_exit(10))


def reddish(pixel):
    return pixel[0] >= 200 and pixel[1] <= 80 and pixel[2] <= 80


class Banner(EndToEnd):
    # Rows of the three lines at 96 DPI: label 0 at 10710 twips, label 1 at 11520 - 11100,
    # label 2 at 5100; heights 645, 315 and 765 twips.
    BANDS = ((714, 757), (28, 49), (340, 391))

    def test_at_five_pm_three_red_lines_move_right_over_the_picture(self):
        make_picture(self.folder + "/green.bmp", SCREEN_W, SCREEN_H, (0, 200, 0))
        self.show_folder()
        now = time.gmtime()
        if now.tm_min == 59 and now.tm_sec > 20:  # keep the hour from turning during the test
            time.sleep(62 - now.tm_sec)
        self.start("/s", hour=17)
        self.assertTrue(wait_until(lambda: Shot().pixel(3, 200) == (0, 200, 0), 25))
        first = Shot(os.path.join(SHOTS, "e2e-banner-17.png"))
        time.sleep(1.0)
        second = Shot()
        for top, bottom in self.BANDS:
            before, after = (s.box_of(reddish, (0, top, SCREEN_W, bottom)) for s in (first, second))
            self.assertTrue(before and after, "no line in rows %d-%d" % (top, bottom))
            # 20 twips per 50 ms tick
            self.assertTrue(10 < after[0] - before[0] < 60, "rows %d-%d" % (top, bottom))
            # Where the line stood, the picture shows again, untouched.
            left_behind = (max(0, before[0] - 4), top, after[0] - 4, bottom)
            self.assertIsNone(second.box_of(lambda pixel: pixel != (0, 200, 0), left_behind))


class SettingsDialog(EndToEnd):
    def test_at_144_dpi_change_path_stores_the_folder_interval_and_white_for_the_show(self):
        # The DPI Wine programs take when they start, until reset_settings.
        reg("add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144", "/f")
        caption, blue = "Picture Directory setting ", (0, 0, 230)
        make_picture(self.folder + "/blue.bmp", 200, 100, blue)
        saver = self.start("/c", cwd=self.folder)
        self.assertTrue(wait_until(lambda: window_titled(caption), 20), "no dialog")
        time.sleep(0.8)
        # Without a window manager the X window is the client area: 5775 x 4725 twips.
        _, x, y, width, height = window_titled(caption)
        self.assertEqual((width, height), (578, 473))

        def press(left, top):  # twips from the client area's corner, ten to a pixel at 144 DPI
            xdotool("mousemove", x + left // 10, y + top // 10, "click", 1)
            time.sleep(0.4)

        press(600, 3570)  # Text2
        xdotool("key", "End", "BackSpace", "type", "--delay", 60, "12")
        press(2520, 2490)  # Check1
        press(3150, 3000)  # Command1
        self.assertTrue(saver.wait_exit(10), "the dialog did not close")
        self.assertEqual(stored_settings(), {"settings\\path": wine_path(self.folder) + "\\",
                                             "settings\\time": "12",
                                             "settings\\background": "16777215"})
        # The show uses them: the picture on white, at its natural size in device pixels.
        show = self.start("/s")
        self.assertTrue(wait_until(lambda: show_window_visible() and Shot().all_of(WHITE), 20))
        self.assertTrue(wait_until(lambda: Shot().pixel(SCREEN_W // 2, SCREEN_H // 2) == blue, 12))
        self.assertEqual(Shot().box_of(blue), (412, 334, 612, 434))
        xdotool("key", "a")
        self.assertTrue(show.wait_exit(10))


if __name__ == "__main__":
    SCR = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)

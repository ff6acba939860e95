"""End-to-end tests of the built screen saver under Xvfb + Wine (DISPLAY and WINEPREFIX set by
the test script). Usage: run_e2e.py PATH-TO-SCR [TestClass ...]"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from saver import (SCREEN_H, SCREEN_W, Saver, Shot, cursor_visible, key, move_mouse,  # noqa: E402
                   near, reset_settings, run, show_window_visible, store_setting,
                   stored_settings, wait_until, window_titled)
import hostile_show  # noqa: E402
from hostile_show import BombInTheFolder  # noqa: E402,F401

SCR = None
SHOTS = os.environ.get("QM_SHOTS", "/tmp")
BLACK, WHITE = (0, 0, 0), (255, 255, 255)


def show_is_up(colour=BLACK):
    return show_window_visible() and Shot().all_of(colour)


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
        self.folder = tempfile.mkdtemp(prefix="qm-", dir=SHOTS)
        self.addCleanup(shutil.rmtree, self.folder, True)

    def start(self, *arguments, **options):
        saver = Saver(SCR, *arguments, **options)
        self.addCleanup(saver.stop)
        return saver

    def show_folder(self):
        store_setting("Settings", "Path", wine_path(self.folder) + "\\")


class ShowMode(EndToEnd):
    def setUp(self):
        super().setUp()
        move_mouse(SCREEN_W // 2, SCREEN_H // 2)
        self.saver = self.start("/s")
        self.assertTrue(wait_until(show_is_up, 20), "no full-screen black window")
        time.sleep(0.5)

    def test_no_cursor_and_only_a_character_key_ends_it(self):
        Shot(os.path.join(SHOTS, "e2e-show.png"))
        self.assertFalse(cursor_visible())
        key("shift")
        key("ctrl", "Left", "F5")
        run("xdotool", "click", "1")
        time.sleep(1.5)
        self.assertTrue(self.saver.alive())
        self.assertTrue(Shot().all_of(BLACK))
        key("a")
        self.assertTrue(self.saver.wait_exit(10))

    def test_sixth_mouse_move_ends_and_shows_the_cursor(self):
        # The window appearing under the cursor may count as a move of its own, so the user's
        # moves that end the show are five or six; the first four never do.
        moves = 0
        for moves in range(1, 8):
            move_mouse(SCREEN_W // 2 + 15 * moves, SCREEN_H // 2 + 10 * moves)
            if self.saver.wait_exit(1.0):
                break
            self.assertTrue(moves < 6, "still running after six moves")
        self.assertIn(moves, (5, 6))
        self.assertTrue(cursor_visible())


class PictureShow(EndToEnd):
    """One show over pictures with known colours: where each lands, to the pixel."""

    RED, GREEN, YELLOW, EDGE = (220, 0, 0), (0, 200, 0), (230, 230, 0), (255, 0, 255)

    def next_shot(self, previous, saver, timeout=12):
        """Waits for the screen to change from the previous screenshot, then settles."""
        end = time.monotonic() + timeout
        while time.monotonic() < end and saver.alive():
            if Shot().raw != previous.raw:
                time.sleep(0.3)
                return Shot()
            time.sleep(0.25)
        self.fail("the screen did not change")

    def test_each_picture_fits_centres_and_the_show_moves_on(self):
        # Shrinking and the order of the show are the lower levels' own: here what lands where.
        make_picture(self.folder + "/1 small.bmp", 640, 400, self.RED, self.EDGE)
        make_picture(self.folder + "/2 square.gif", 1000, 1000, self.YELLOW, self.EDGE)
        self.show_folder()
        saver = self.start("/s")
        self.assertTrue(wait_until(show_is_up, 20))

        shot = self.next_shot(Shot(), saver)  # 640 x 400: natural size, unresampled
        Shot(os.path.join(SHOTS, "e2e-small.png"))
        self.assertEqual(shot.box_of(near(self.EDGE)), (192, 184, 832, 584))
        self.assertEqual(shot.box_of(near(self.RED)), (193, 185, 831, 583))

        shot = self.next_shot(shot, saver)  # square larger: unscaled, cut off at the edges
        Shot(os.path.join(SHOTS, "e2e-square.png"))
        self.assertEqual(shot.box_of(near(self.YELLOW)), (13, 0, 1011, 768))
        # Its left and right edges show; its top and bottom edges lie beyond the screen.
        self.assertEqual(shot.box_of(near(self.EDGE)), (12, 0, 1012, 768))
        self.assertEqual(shot.pixel(500, 0), self.YELLOW)

        # The folder disappears: the next step says so, above the show, which ends when the
        # message is closed.
        shutil.rmtree(self.folder)
        self.assertTrue(wait_until(lambda: window_titled("No Directory Exists!"), 12))
        Shot(os.path.join(SHOTS, "e2e-no-directory.png"))
        self.assertTrue(saver.alive())
        key("Return")
        self.assertTrue(saver.wait_exit(10))

    def test_a_phone_photo_stored_on_its_side_stands_upright_clamped_by_height(self):
        # The scene upright is 600 x 800: blue sky over green ground, a red sun top right. A
        # phone held upright stores it turned a quarter anticlockwise (800 x 600) and tags it 6.
        path = self.folder + "/phone.jpg"
        subprocess.run(["convert", "-size", "600x800", "xc:#0000e6", "-fill", "#00c800", "-draw",
                        "rectangle 0,400 599,799", "-fill", "#e60000", "-draw",
                        "rectangle 450,0 599,149", "-rotate", "-90", "-quality", "95",
                        "JPG:" + path], check=True)
        # An Exif block whose IFD0 says only: Orientation (SHORT, one value) = 6.
        exif = b"Exif\0\0II*\0" + struct.pack("<IHHHIHHI", 8, 1, 0x0112, 3, 1, 6, 0, 0)
        with open(path, "rb") as f:
            jpeg = f.read()
        with open(path, "wb") as f:
            f.write(jpeg[:2] + b"\xff\xe1" + struct.pack(">H", len(exif) + 2) + exif + jpeg[2:])
        self.show_folder()
        saver = self.start("/s")
        self.assertTrue(wait_until(show_is_up, 20))
        self.assertTrue(wait_until(lambda: Shot().pixel(512, 600) != BLACK, 12), "no photo")
        shot = Shot(os.path.join(SHOTS, "e2e-phone-photo.png"))
        # 600 x 800 upright, shrunk by height to 576 x 768 and centred: x from 224 to 800.
        # Sky above, ground below, the sun in the top-right corner. (JPEG edges blur a pixel.)
        for colour, want in (((0, 0, 230), (224, 0, 800, 384)), ((0, 200, 0), (224, 384, 800, 768)),
                             ((230, 0, 0), (656, 0, 800, 144))):
            got = shot.box_of(near(colour, 40))
            self.assertTrue(got and all(abs(g - w) <= 2 for g, w in zip(got, want)),
                            (colour, got, want))
        self.assertEqual((shot.pixel(222, 400), shot.pixel(802, 400)), (BLACK, BLACK))
        key("a")
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
        self.assertTrue(wait_until(lambda: Shot().pixel(3, 200) == (0, 200, 0), 25),
                        "the picture did not appear")
        first = Shot(os.path.join(SHOTS, "e2e-banner-17.png"))
        time.sleep(1.0)
        second = Shot()
        outside = [y for y in range(0, SCREEN_H, 2)
                   if not any(top <= y < bottom for top, bottom in self.BANDS)]
        self.assertFalse(any(reddish(first.pixel(x, y)) for y in outside
                             for x in range(0, SCREEN_W, 2)), "red outside the three lines")
        for top, bottom in self.BANDS:
            before = first.box_of(reddish, top, bottom)
            after = second.box_of(reddish, top, bottom)
            self.assertTrue(before and after, "no line in rows %d-%d" % (top, bottom))
            # 20 twips per 50 ms tick
            self.assertTrue(10 < after[0] - before[0] < 60, "rows %d-%d" % (top, bottom))
            # Where the line stood, the picture shows again, untouched.
            for y in range(top, bottom):
                for x in range(max(0, before[0] - 4), after[0] - 4):
                    self.assertEqual(second.pixel(x, y), (0, 200, 0), (x, y))


class SettingsDialog(EndToEnd):
    def test_change_path_stores_the_folder_interval_and_white_and_the_show_uses_them(self):
        caption, blue = "Picture Directory setting ", (0, 0, 230)
        make_picture(self.folder + "/blue.bmp", 200, 100, blue)
        saver = self.start("/c", cwd=self.folder)
        self.assertTrue(wait_until(lambda: window_titled(caption), 20), "no dialog")
        time.sleep(0.8)
        x, y = window_titled(caption)[1:3]

        def press(left, top):  # client-area pixels at 96 DPI: twips / 15
            move_mouse(x + left, y + top, "click", "1")
            time.sleep(0.4)

        Shot(os.path.join(SHOTS, "e2e-dialog.png"))
        self.assertFalse(show_window_visible())
        press(40, 238)  # Text2
        key("End", "BackSpace")
        run("xdotool", "type", "--delay", "60", "12")
        press(168, 166)  # Check1
        self.assertEqual(stored_settings(), {}, "written before Change Path")
        press(210, 200)  # Command1
        self.assertTrue(saver.wait_exit(10), "the dialog did not close")
        self.assertEqual(stored_settings(), {"settings\\path": wine_path(self.folder) + "\\",
                                             "settings\\time": "12",
                                             "settings\\background": "16777215"})
        # The show, started elsewhere, shows the stored folder's picture on white.
        show = self.start("/s")
        self.assertTrue(wait_until(lambda: show_is_up(WHITE), 20), "no white show")
        self.assertTrue(wait_until(lambda: Shot().pixel(SCREEN_W // 2, SCREEN_H // 2) == blue, 12))
        self.assertEqual(Shot().pixel(10, 10), WHITE)
        key("a")
        self.assertTrue(show.wait_exit(10))


if __name__ == "__main__":
    SCR = hostile_show.SCR = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)

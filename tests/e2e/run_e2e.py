"""End-to-end tests of the built screen saver under Xvfb + Wine (DISPLAY and WINEPREFIX set by
the test script). Usage: run_e2e.py PATH-TO-SCR"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from saver import (SCREEN_H, SCREEN_W, Saver, Shot, click, click_at, cursor_visible,  # noqa: E402
                   key, move_mouse, query_settings, reset_settings, show_window_visible,
                   store_setting, type_text, wait_until, window_origin, window_titled)
import hostile_show  # noqa: E402
from hostile_show import BombInTheFolder  # noqa: E402,F401

SCR = None
SHOTS = os.environ.get("QM_SHOTS", "/tmp")
BLACK, WHITE = (0, 0, 0), (255, 255, 255)


def show_is_up(colour=BLACK):
    return show_window_visible() and Shot().all_of(colour)


class ShowMode(unittest.TestCase):
    def setUp(self):
        reset_settings()
        move_mouse(SCREEN_W // 2, SCREEN_H // 2)
        self.saver = Saver(SCR, "/s")
        self.addCleanup(self.saver.stop)
        self.assertTrue(wait_until(show_is_up, 20), "no full-screen black window")
        time.sleep(0.5)

    def test_full_screen_black_window_without_cursor(self):
        Shot(os.path.join(SHOTS, "e2e-show.png"))
        self.assertFalse(cursor_visible())
        self.assertTrue(self.saver.alive())

    def test_letter_key_ends_the_show(self):
        key("a")
        self.assertTrue(self.saver.wait_exit(10))

    def test_shift_arrows_function_keys_and_clicks_do_not_end_it(self):
        key("shift")
        key("ctrl", "Left", "F5")
        click()
        time.sleep(1.5)
        self.assertTrue(self.saver.alive())
        self.assertTrue(Shot().all_of(BLACK))

    def test_sixth_mouse_move_ends_and_shows_the_cursor(self):
        # The window appearing under the cursor may count as a move of its own, so the user's
        # moves that end the show are five or six; the first four never do.
        moves = 0
        for moves in range(1, 8):
            move_mouse(SCREEN_W // 2 + 15 * moves, SCREEN_H // 2 + 10 * moves)
            if self.saver.wait_exit(1.0):
                break
            self.assertTrue(moves < 6, "still running after six moves")
        self.assertFalse(self.saver.alive())
        self.assertIn(moves, (5, 6))
        self.assertTrue(cursor_visible())

    def test_second_copy_exits_at_once(self):
        for switch in ("/s", "/c", "/p"):
            second = Saver(SCR, switch)
            self.addCleanup(second.stop)
            self.assertTrue(second.wait_exit(15), "second copy with %s kept running" % switch)
        self.assertTrue(self.saver.alive())
        self.assertTrue(Shot().all_of(BLACK))


class SettingsAtStart(unittest.TestCase):
    def setUp(self):
        reset_settings()
        self.addCleanup(reset_settings)

    def start(self):
        saver = Saver(SCR, "/s")
        self.addCleanup(saver.stop)
        return saver

    def test_white_background_setting_gives_a_white_show(self):
        store_setting("Settings", "background", "16777215")
        saver = self.start()
        self.assertTrue(wait_until(lambda: show_is_up(WHITE), 20), "no white show window")
        key("a")
        self.assertTrue(saver.wait_exit(10))

    def test_missing_folder_is_reported_and_ends_when_closed(self):
        store_setting("Settings", "Path", "C:\\no such pictures\\")
        saver = self.start()
        self.assertTrue(wait_until(lambda: window_titled("Quillmoor Screen Saver"), 20),
                        "no failure message")
        Shot(os.path.join(SHOTS, "e2e-missing-folder.png"))
        time.sleep(1)
        self.assertTrue(saver.alive(), "ended before the message was closed")
        key("Return")
        self.assertTrue(saver.wait_exit(10))


def make_picture(path, width, height, fill, edge):
    """A solid picture with a one-pixel edge of another colour, in the format of its name."""
    fmt = {"bmp": "BMP3", "gif": "GIF", "jpg": "JPG"}[path.rsplit(".", 1)[1]]
    subprocess.run(["convert", "-size", "%dx%d" % (width - 2, height - 2), "xc:" + fill,
                    "-bordercolor", edge, "-border", "1", "-type", "TrueColor",
                    fmt + ":" + path], check=True)


def hex_colour(rgb):
    return "#%02x%02x%02x" % rgb


def wine_path(path):
    return "Z:" + path.replace("/", "\\")


def box_of(shot, colour, tolerance=0):
    """Bounding box (left, top, right, bottom; exclusive) of the pixels of about this colour."""
    xs, ys = [], []
    for y in range(SCREEN_H):
        for x in range(SCREEN_W):
            pixel = shot.pixel(x, y)
            if all(abs(p - c) <= tolerance for p, c in zip(pixel, colour)):
                xs.append(x)
                ys.append(y)
    return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None


class PictureShow(unittest.TestCase):
    """One show over pictures with known colours: where each lands, to the pixel."""

    RED, GREEN, BLUE, YELLOW, EDGE = (220, 0, 0), (0, 200, 0), (0, 0, 230), (230, 230, 0), (255, 0, 255)

    def setUp(self):
        reset_settings()
        self.addCleanup(reset_settings)
        self.folder = tempfile.mkdtemp(prefix="qm-show-", dir=SHOTS)
        self.addCleanup(shutil.rmtree, self.folder, True)

    def next_shot(self, previous, saver, timeout=12):
        """Waits for the screen to change from the previous screenshot, then settles."""
        end = time.monotonic() + timeout
        while time.monotonic() < end and saver.alive():
            shot = Shot()
            if previous is None or shot.raw != previous.raw:
                time.sleep(0.3)
                return Shot()
            time.sleep(0.25)
        self.fail("the screen did not change")

    def test_each_picture_fits_centres_and_the_show_moves_on(self):
        make_picture(self.folder + "/1 small.bmp", 640, 400, hex_colour(self.RED), hex_colour(self.EDGE))
        make_picture(self.folder + "/2 wide.bmp", 2048, 1000, hex_colour(self.GREEN), hex_colour(self.GREEN))
        make_picture(self.folder + "/3 tall.gif", 600, 1536, hex_colour(self.BLUE), hex_colour(self.BLUE))
        make_picture(self.folder + "/4 square.bmp", 1000, 1000, hex_colour(self.YELLOW), hex_colour(self.EDGE))
        with open(self.folder + "/5 broken.jpg", "wb") as broken:
            broken.write(b"\xff\xd8\xff\xe0 not really a picture")
        store_setting("Settings", "Path", wine_path(self.folder) + "\\")
        saver = Saver(SCR, "/s")
        self.addCleanup(saver.stop)
        self.assertTrue(wait_until(show_is_up, 20))

        shot = self.next_shot(Shot(), saver)  # 640 x 400: natural size, unresampled
        Shot(os.path.join(SHOTS, "e2e-small.png"))
        self.assertEqual(box_of(shot, self.EDGE), (192, 184, 832, 584))
        self.assertEqual(box_of(shot, self.RED), (193, 185, 831, 583))
        self.assertEqual(shot.pixel(191, 300), BLACK)

        shot = self.next_shot(shot, saver)  # twice as wide: 1024 x 500 at y 134
        self.assertEqual(box_of(shot, self.GREEN, 8), (0, 134, 1024, 634))
        self.assertEqual(shot.pixel(500, 133), BLACK)

        shot = self.next_shot(shot, saver)  # taller than the screen: 300 x 768 at x 362
        self.assertEqual(box_of(shot, self.BLUE, 8), (362, 0, 662, 768))

        shot = self.next_shot(shot, saver)  # square larger: unscaled, cut off at the edges
        square_at = time.monotonic()
        Shot(os.path.join(SHOTS, "e2e-square.png"))
        self.assertEqual(box_of(shot, self.YELLOW), (13, 0, 1011, 768))
        # Its left and right edges show; its top and bottom edges lie beyond the screen.
        self.assertEqual(box_of(shot, self.EDGE), (12, 0, 1012, 768))
        self.assertEqual(shot.pixel(500, 0), self.YELLOW)
        self.assertEqual(shot.pixel(11, 400), BLACK)

        # The broken file costs one tick: the square stays (is drawn again) for two
        # intervals, then the show starts over at the first picture.
        shot = self.next_shot(shot, saver, timeout=16)
        self.assertGreater(time.monotonic() - square_at, 8.5)
        self.assertEqual(box_of(shot, self.EDGE), (192, 184, 832, 584))

        # The folder disappears: the next step says so and the show ends when it is closed.
        shutil.rmtree(self.folder)
        self.assertTrue(wait_until(lambda: window_titled("No Directory Exists!"), 12))
        Shot(os.path.join(SHOTS, "e2e-no-directory.png"))
        self.assertTrue(saver.alive())
        key("Return")
        self.assertTrue(saver.wait_exit(10))


def reddish(pixel):
    return pixel[0] >= 200 and pixel[1] <= 80 and pixel[2] <= 80


class Banner(unittest.TestCase):
    """The greeting lines over a picture that fills the screen, at a chosen local hour."""

    GREEN = (0, 200, 0)
    # Rows of the three lines at 96 DPI: label 0 at 10710 twips, label 1 at 11520 - 11100,
    # label 2 at 5100; heights 645, 315 and 765 twips.
    BANDS = ((714, 757), (28, 49), (340, 391))

    def setUp(self):
        reset_settings()
        self.addCleanup(reset_settings)
        folder = tempfile.mkdtemp(prefix="qm-banner-", dir=SHOTS)
        self.addCleanup(shutil.rmtree, folder, True)
        make_picture(folder + "/green.bmp", SCREEN_W, SCREEN_H, "#00c800", "#00c800")
        store_setting("Settings", "Path", wine_path(folder) + "\\")
        now = time.gmtime()
        if now.tm_min == 59 and now.tm_sec > 20:  # keep the hour from turning during the test
            time.sleep(62 - now.tm_sec)

    def start(self, hour):
        saver = Saver(SCR, "/s", hour=hour)
        self.addCleanup(saver.stop)
        self.assertTrue(wait_until(lambda: Shot().pixel(3, 200) == self.GREEN, 25),
                        "the picture did not appear")
        return saver

    def red_box(self, shot, top, bottom):
        xs, ys = [], []
        for y in range(top, bottom):
            for x in range(SCREEN_W):
                if reddish(shot.pixel(x, y)):
                    xs.append(x)
                    ys.append(y)
        return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None

    def test_at_five_pm_three_red_lines_move_right_over_the_picture(self):
        self.start(17)
        first = Shot(os.path.join(SHOTS, "e2e-banner-17.png"))
        time.sleep(1.0)
        second = Shot()
        outside = [y for y in range(0, SCREEN_H, 2)
                   if not any(top <= y < bottom for top, bottom in self.BANDS)]
        self.assertFalse(any(reddish(first.pixel(x, y)) for y in outside for x in range(0, SCREEN_W, 2)),
                         "red outside the three lines")
        for top, bottom in self.BANDS:
            before, after = self.red_box(first, top, bottom), self.red_box(second, top, bottom)
            self.assertIsNotNone(before, "no line in rows %d-%d" % (top, bottom))
            self.assertIsNotNone(after)
            moved = after[0] - before[0]
            self.assertGreater(moved, 10, "rows %d-%d" % (top, bottom))  # 20 twips per 50 ms tick
            self.assertLess(moved, 60)
            # Where the line stood, the picture shows again, untouched.
            for y in range(top, bottom):
                for x in range(max(0, before[0] - 4), after[0] - 4):
                    self.assertEqual(second.pixel(x, y), self.GREEN, (x, y))

    def test_at_nine_am_no_red_appears(self):
        saver = self.start(9)
        for _ in range(3):
            shot = Shot()
            self.assertFalse(any(reddish(shot.pixel(x, y))
                                 for y in range(0, SCREEN_H, 2) for x in range(0, SCREEN_W, 2)))
            time.sleep(0.5)
        self.assertTrue(saver.alive())


class SettingsDialog(unittest.TestCase):
    """Configuration mode: the dialog, what "Change Path" stores, and what the show then uses."""

    CAPTION = "Picture Directory setting "
    BLUE = (0, 0, 230)
    # Client-area pixels at 96 DPI of the controls clicked (twips / 15).
    CHECK1, COMMAND1, COMMAND2, TEXT2 = (168, 166), (210, 200), (326, 200), (40, 238)

    def setUp(self):
        reset_settings()
        self.addCleanup(reset_settings)
        self.folder = tempfile.mkdtemp(prefix="qm-dialog-", dir=SHOTS)
        self.addCleanup(shutil.rmtree, self.folder, True)

    def open(self, folder):
        saver = Saver(SCR, "/c", cwd=folder)
        self.addCleanup(saver.stop)
        self.assertTrue(wait_until(lambda: window_titled(self.CAPTION), 20), "no dialog")
        time.sleep(0.8)
        self.origin = window_origin(self.CAPTION)
        return saver

    def press(self, place):
        click_at(self.origin[0] + place[0], self.origin[1] + place[1])
        time.sleep(0.4)

    def stored(self):
        return {name.lower(): value for name, value in query_settings().items()}

    def test_change_path_stores_the_folder_interval_and_white_and_the_show_uses_them(self):
        make_picture(self.folder + "/blue.bmp", 200, 100, hex_colour(self.BLUE), hex_colour(self.BLUE))
        saver = self.open(self.folder)
        Shot(os.path.join(SHOTS, "e2e-dialog.png"))
        self.assertFalse(show_window_visible())
        self.press(self.TEXT2)
        key("End", "BackSpace")
        type_text("12")
        self.press(self.CHECK1)
        self.assertEqual(self.stored(), {}, "written before Change Path")
        self.press(self.COMMAND1)
        self.assertTrue(saver.wait_exit(10), "the dialog did not close")
        self.assertEqual(self.stored(), {"settings\\path": wine_path(self.folder) + "\\",
                                         "settings\\time": "12",
                                         "settings\\background": "16777215"})

        # The show, started elsewhere, shows the stored folder's picture on white.
        show = Saver(SCR, "/s")
        self.addCleanup(show.stop)
        self.assertTrue(wait_until(lambda: show_is_up(WHITE), 20), "no white show")
        self.assertTrue(wait_until(lambda: Shot().pixel(SCREEN_W // 2, SCREEN_H // 2) == self.BLUE, 12))
        self.assertEqual(Shot().pixel(10, 10), WHITE)
        key("a")
        self.assertTrue(show.wait_exit(10))

    def test_a_folder_without_pictures_is_refused_and_cancel_writes_nothing(self):
        saver = self.open(self.folder)
        self.press(self.CHECK1)
        self.press(self.COMMAND1)
        self.assertTrue(wait_until(lambda: window_titled("No Graphics!"), 10), "no message")
        Shot(os.path.join(SHOTS, "e2e-no-graphics.png"))
        move_mouse(SCREEN_W // 2, SCREEN_H // 2)  # without a window manager, keys go under the pointer
        key("Return")
        self.assertTrue(wait_until(lambda: not window_titled("No Graphics!"), 8), "still open")
        self.assertTrue(window_titled(self.CAPTION), "the dialog closed")
        self.assertEqual(self.stored(), {})
        self.press(self.COMMAND2)
        self.assertTrue(saver.wait_exit(10), "Cancel did not end the program")
        self.assertEqual(self.stored(), {})


class OtherModes(unittest.TestCase):
    def assert_exits_without_show(self, *arguments):
        saver = Saver(SCR, *arguments)
        self.addCleanup(saver.stop)
        seen_black = False
        end = time.monotonic() + 15
        while saver.alive() and time.monotonic() < end:
            seen_black = seen_black or show_window_visible()
            time.sleep(0.2)
        self.assertFalse(saver.alive(), "%s did not exit" % (arguments,))
        self.assertFalse(seen_black, "%s showed the show window" % (arguments,))
        self.assertFalse(show_window_visible())
        self.assertTrue(Shot().all_of(WHITE))

    def test_preview_exits_at_once(self):
        self.assert_exits_without_show("/p")
        self.assert_exits_without_show("/P", "77")



if __name__ == "__main__":
    SCR = hostile_show.SCR = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)

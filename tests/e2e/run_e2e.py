"""End-to-end tests of the built screen saver under Xvfb + Wine (DISPLAY and WINEPREFIX set by
the test script). Usage: run_e2e.py PATH-TO-SCR"""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from saver import (SCREEN_H, SCREEN_W, Saver, Shot, click, cursor_visible, key,  # noqa: E402
                   move_mouse, reset_settings, show_window_visible, store_setting,
                   wait_until, window_titled)

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

    def test_configuration_shows_no_show_window(self):
        self.assert_exits_without_show("/c")


if __name__ == "__main__":
    SCR = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)

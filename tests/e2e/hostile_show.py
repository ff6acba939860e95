"""End-to-end: a decompression bomb between two good pictures costs the show one picture, not its
way on nor its way out. Run from run_e2e.py, which sets SCR."""
import os
import shutil
import subprocess
import tempfile
import unittest

from saver import SCREEN_H, SCREEN_W, Saver, Shot, key, reset_settings, store_setting, wait_until

SCR = None
SHOTS = os.environ.get("QM_SHOTS", "/tmp")


class BombInTheFolder(unittest.TestCase):
    def test_the_show_skips_it_and_still_ends_on_a_key(self):
        reset_settings()
        self.addCleanup(reset_settings)
        folder = tempfile.mkdtemp(prefix="qm-bomb-", dir=SHOTS)
        self.addCleanup(shutil.rmtree, folder, True)
        for name, fill in ("1 red.bmp", "#dc0000"), ("2 bomb.jpg", "gray"), ("3 blue.gif", "blue"):
            fmt = {"bmp": "BMP3", "gif": "GIF", "jpg": "JPG"}[name[-3:]]
            subprocess.run(["convert", "-size", "64x48", "xc:" + fill,
                            "%s:%s/%s" % (fmt, folder, name)], check=True)
        # The small JPEG's frame header made to declare 65000 x 65000.
        with open(folder + "/2 bomb.jpg", "r+b") as bomb:
            frame = bomb.read().index(b"\xff\xc0")
            bomb.seek(frame + 5)
            bomb.write(b"\xfd\xe8\xfd\xe8")
        store_setting("Settings", "Path", "Z:" + folder.replace("/", "\\") + "\\")
        saver = Saver(SCR, "/s")
        self.addCleanup(saver.stop)

        def centre():
            return Shot().pixel(SCREEN_W // 2, SCREEN_H // 2)

        self.assertTrue(wait_until(lambda: centre() == (220, 0, 0), 25), "no first picture")
        self.assertTrue(wait_until(lambda: centre() == (0, 0, 255), 25), "the show did not move on")
        Shot(os.path.join(SHOTS, "e2e-after-bomb.png"))
        key("a")
        self.assertTrue(saver.wait_exit(5), "a key did not end the show")

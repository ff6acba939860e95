"""End-to-end: a decompression bomb in the picture folder costs the show one tick, not its memory
nor its way out. Run from run_e2e.py, which sets SCR."""
import os
import shutil
import struct
import subprocess
import tempfile
import time
import unittest

from saver import SCREEN_H, SCREEN_W, Saver, Shot, key, reset_settings, store_setting, wait_until

SCR = None
SHOTS = os.environ.get("QM_SHOTS", "/tmp")
RED, BLUE = (220, 0, 0), (0, 0, 230)


def segment(marker, payload):
    return bytes([0xFF, marker]) + struct.pack(">H", len(payload) + 2) + payload


def jpeg_bomb(width=65000, height=65000):
    """A baseline 4:2:0 JPEG of about 290 bytes whose frame header declares width x height."""
    frame = struct.pack(">BHHB", 8, height, width, 3) + bytes([1, 0x22, 0, 2, 0x11, 0, 3, 0x11, 0])
    one_code = bytes([1] + [0] * 15 + [0])  # one code of one bit: DC difference 0, end of block
    return (b"\xff\xd8" + segment(0xE0, b"JFIF\0\x01\x01\0\0\x01\0\x01\0\0")
            + segment(0xDB, bytes(1) + bytes([1] * 64)) + segment(0xC0, frame)
            + segment(0xC4, b"\x00" + one_code + b"\x10" + one_code)
            + segment(0xDA, bytes([3, 1, 0, 2, 0, 3, 0, 0, 63, 0])) + bytes(128) + b"\xff\xd9")


def solid_picture(path, width, height, rgb):
    fmt = {"bmp": "BMP3", "gif": "GIF"}[path.rsplit(".", 1)[1]]
    subprocess.run(["convert", "-size", "%dx%d" % (width, height), "xc:#%02x%02x%02x" % rgb,
                    fmt + ":" + path], check=True)


def peak_resident_bytes(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) * 1024
    return 0


class BombInTheFolder(unittest.TestCase):
    """A 290-byte JPEG declaring 65000 x 65000 between two good pictures."""

    def setUp(self):
        reset_settings()
        self.addCleanup(reset_settings)
        self.folder = tempfile.mkdtemp(prefix="qm-bomb-", dir=SHOTS)
        self.addCleanup(shutil.rmtree, self.folder, True)

    def test_the_show_skips_it_stays_small_and_still_ends_on_a_key(self):
        solid_picture(self.folder + "/1 red.bmp", 640, 400, RED)
        with open(self.folder + "/2 bomb.jpg", "wb") as bomb:
            bomb.write(jpeg_bomb())
        solid_picture(self.folder + "/3 blue.gif", 400, 300, BLUE)
        store_setting("Settings", "Path", "Z:" + self.folder.replace("/", "\\") + "\\")
        saver = Saver(SCR, "/s")
        self.addCleanup(saver.stop)

        def centre():
            return Shot().pixel(SCREEN_W // 2, SCREEN_H // 2)

        self.assertTrue(wait_until(lambda: centre() == RED, 25), "the first picture did not show")
        red_at = time.monotonic()
        # The bomb's tick draws the red picture again; the tick after it shows the blue one.
        self.assertTrue(wait_until(lambda: centre() == BLUE, 16), "the show did not move on")
        Shot(os.path.join(SHOTS, "e2e-after-bomb.png"))
        self.assertGreater(time.monotonic() - red_at, 8.5, "the bomb did not cost its tick")
        self.assertLess(peak_resident_bytes(saver.process.pid), 200 << 20)
        key("a")
        self.assertTrue(saver.wait_exit(5), "a key did not end the show")

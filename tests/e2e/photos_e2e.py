"""End-to-end: a phone's portrait photo, stored on its side with Exif orientation 6, is shown
upright and fitted as a portrait. Usage: photos_e2e.py PATH-TO-SCR (DISPLAY and WINEPREFIX set
by the test script)."""
import os
import struct
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import run_e2e  # noqa: E402
from run_e2e import BLACK, SHOTS, EndToEnd, show_is_up  # noqa: E402
from saver import Shot, key, near, wait_until  # noqa: E402


def exif_orientation_segment(value):
    """An APP1 segment whose Exif block says only: Orientation = value (little-endian TIFF)."""
    ifd0 = struct.pack("<H", 1) + struct.pack("<HHIHH", 0x0112, 3, 1, value, 0) + struct.pack("<I", 0)
    payload = b"Exif\0\0" + b"II*\0" + struct.pack("<I", 8) + ifd0
    return b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload


class PhonePhoto(EndToEnd):
    BLUE, GREEN, RED = (0, 0, 230), (0, 200, 0), (230, 0, 0)

    def make_phone_photo(self, path):
        """The scene upright is 600 x 800: blue sky over green ground, a red sun top right. A
        phone held upright stores it turned a quarter anticlockwise (800 x 600) and tags it 6."""
        subprocess.run(["convert", "-size", "600x800", "xc:#0000e6",
                        "-fill", "#00c800", "-draw", "rectangle 0,400 599,799",
                        "-fill", "#e60000", "-draw", "rectangle 450,0 599,149",
                        "-rotate", "-90", "-quality", "95", "JPG:" + path], check=True)
        with open(path, "rb") as f:
            jpeg = f.read()
        with open(path, "wb") as f:
            f.write(jpeg[:2] + exif_orientation_segment(6) + jpeg[2:])

    def test_portrait_photo_stands_upright_clamped_by_height(self):
        self.make_phone_photo(self.folder + "/phone.jpg")
        self.show_folder()
        saver = self.start("/s")
        self.assertTrue(wait_until(show_is_up, 20))
        self.assertTrue(wait_until(lambda: Shot().pixel(512, 600) != BLACK, 12),
                        "the photo did not appear")
        shot = Shot(os.path.join(SHOTS, "e2e-phone-photo.png"))
        # 600 x 800 upright, shrunk by height to 576 x 768 and centred: x from 224 to 800.
        # Sky above, ground below, the sun in the top-right corner. (JPEG edges blur a pixel.)
        for colour, want in ((self.BLUE, (224, 0, 800, 384)), (self.GREEN, (224, 384, 800, 768)),
                             (self.RED, (656, 0, 800, 144))):
            got = shot.box_of(near(colour, 40))
            self.assertIsNotNone(got, colour)
            for g, w in zip(got, want):
                self.assertLessEqual(abs(g - w), 2, (colour, got, want))
        self.assertEqual(shot.pixel(222, 400), BLACK)
        self.assertEqual(shot.pixel(802, 400), BLACK)
        key("a")
        self.assertTrue(saver.wait_exit(10))


if __name__ == "__main__":
    run_e2e.SCR = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)

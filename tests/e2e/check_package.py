"""Checks the download made by scripts/package.sh: exactly the files a Windows user gets, sums
that match, the built executables, the credited sample photos beside the 32-bit one. Usage:
check_package.py SOURCE-ROOT (the zip is dist/quillmoor-screen-saver-<version>.zip there)."""
import hashlib
import os
import re
import sys
import unittest
import zipfile

ROOT = ZIP = VERSION = PHOTOS = None
SCR = "Quillmoor Screen Saver.scr"


class Download(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with zipfile.ZipFile(ZIP) as archive:
            cls.names = archive.namelist()
            cls.files = {name: archive.read(name) for name in cls.names}

    def test_holds_exactly_the_files_a_user_gets_and_sums_that_match(self):
        self.assertEqual(sorted(self.names),
                         sorted([SCR, "64-bit/" + SCR, "README.txt", "CREDITS.md", "LICENSE",
                                 "SHA256SUMS"] + PHOTOS))
        listed = dict(reversed(re.fullmatch(r"([0-9a-f]{64})  (.+)", line).groups())
                      for line in self.files["SHA256SUMS"].decode("ascii").splitlines())
        self.assertEqual(sorted(listed), sorted(n for n in self.names if n != "SHA256SUMS"))
        for name, digest in listed.items():
            self.assertEqual(hashlib.sha256(self.files[name]).hexdigest(), digest, name)
        readme = self.files["README.txt"]  # for Notepad: CRLF line ends
        self.assertEqual((readme.count(b"\n"), readme[-2:]), (readme.count(b"\r\n"), b"\r\n"))
        self.assertIn(("Quillmoor Screen Saver " + VERSION).encode(), readme)

    def test_executables_are_the_built_ones(self):
        # Their machine, imports and stripping are the static checks' of each tree.
        for name, tree in ((SCR, "build/win"), ("64-bit/" + SCR, "build/win64")):
            with open(os.path.join(ROOT, tree, SCR), "rb") as built:
                self.assertEqual(self.files[name], built.read(), name)

    def test_sample_photos_beside_the_32_bit_executable_are_credited(self):
        # At the top, the .scr's own folder: the show's pictures until the user picks a folder.
        self.assertTrue(PHOTOS, "no sample photos")
        credits = self.files["CREDITS.md"].decode("utf-8")
        for name in PHOTOS:
            with self.subTest(photo=name), open(os.path.join(ROOT, "samples", name), "rb") as photo:
                self.assertEqual(self.files[name], photo.read())
                self.assertIn("`%s`" % name, credits)

if __name__ == "__main__":
    ROOT = os.path.abspath(sys.argv.pop(1))
    with open(os.path.join(ROOT, "resources", "quillmoor.rc"), encoding="utf-8") as rc:
        VERSION = re.search(r'VALUE "ProductVersion", "([^"]+)"', rc.read()).group(1)
    ZIP = os.path.join(ROOT, "dist", "quillmoor-screen-saver-%s.zip" % VERSION)
    PHOTOS = [name for name in os.listdir(os.path.join(ROOT, "samples"))
              if name.lower().endswith((".bmp", ".jpg", ".gif"))]
    unittest.main(verbosity=2)

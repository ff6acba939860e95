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
        self.assertEqual(listed, {name: hashlib.sha256(data).hexdigest()
                                  for name, data in self.files.items() if name != "SHA256SUMS"})
        readme = self.files["README.txt"]  # for Notepad: CRLF line ends
        self.assertEqual((readme.count(b"\n"), readme[-2:]), (readme.count(b"\r\n"), b"\r\n"))
        self.assertIn(("Quillmoor Screen Saver " + VERSION).encode(), readme)

    def test_the_built_executables_and_credited_sample_photos_beside_the_32_bit_one(self):
        # The executables' machine, imports and stripping are the static checks' of each tree. The
        # photos at the top, the .scr's own folder, are the show's until the user picks a folder.
        self.assertTrue(PHOTOS, "no sample photos")
        sources = {SCR: "build/win/" + SCR, "64-bit/" + SCR: "build/win64/" + SCR}
        for name, source in dict(sources, **{name: "samples/" + name for name in PHOTOS}).items():
            with self.subTest(name), open(os.path.join(ROOT, source), "rb") as original:
                self.assertEqual(self.files[name], original.read())
        credits = self.files["CREDITS.md"].decode("utf-8")
        self.assertEqual([name for name in PHOTOS if "`%s`" % name not in credits], [])


if __name__ == "__main__":
    ROOT = os.path.abspath(sys.argv.pop(1))
    with open(os.path.join(ROOT, "resources", "quillmoor.rc"), encoding="utf-8") as rc:
        VERSION = re.search(r'VALUE "ProductVersion", "([^"]+)"', rc.read()).group(1)
    ZIP = os.path.join(ROOT, "dist", "quillmoor-screen-saver-%s.zip" % VERSION)
    PHOTOS = [name for name in os.listdir(os.path.join(ROOT, "samples"))
              if name.lower().endswith((".bmp", ".jpg", ".gif"))]
    unittest.main(verbosity=2)

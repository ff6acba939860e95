"""Checks the download made by scripts/package.sh: exactly the files a Windows user gets, sums
that match, both executables stripped and of their own architecture. Usage:
check_package.py SOURCE-ROOT (the zip is dist/quillmoor-screen-saver-<version>.zip there)."""
import hashlib
import os
import re
import struct
import sys
import unittest
import zipfile

ROOT = ZIP = VERSION = None
SCR = "Quillmoor Screen Saver.scr"


def repository_file(relative):
    with open(os.path.join(ROOT, relative), "rb") as source:
        return source.read()


class Download(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with zipfile.ZipFile(ZIP) as archive:
            cls.names = archive.namelist()
            cls.files = {name: archive.read(name) for name in cls.names}

    def test_holds_exactly_the_files_a_user_gets_and_sums_that_match(self):
        self.assertEqual(sorted(self.names), sorted([SCR, "64-bit/" + SCR, "README.txt",
                                                     "CREDITS.md", "LICENSE", "SHA256SUMS"]))
        lines = self.files["SHA256SUMS"].decode("ascii").splitlines()
        listed = dict(reversed(re.fullmatch(r"([0-9a-f]{64})  (.+)", line).groups())
                      for line in lines)
        self.assertEqual(sorted(listed), sorted(n for n in self.names if n != "SHA256SUMS"))
        for name, digest in listed.items():
            self.assertEqual(hashlib.sha256(self.files[name]).hexdigest(), digest, name)

    def test_executables_are_the_built_ones_stripped_each_of_its_architecture(self):
        for name, tree, machine in ((SCR, "build/win", 0x14C),
                                    ("64-bit/" + SCR, "build/win64", 0x8664)):
            data = self.files[name]
            self.assertEqual(data, repository_file(os.path.join(tree, SCR)), name)
            at = struct.unpack_from("<I", data, 0x3C)[0]
            self.assertEqual(data[at:at + 4], b"PE\0\0", name)
            got, sections, _, symbols_at, symbols, optional = struct.unpack_from("<HHIIIH", data,
                                                                                 at + 4)
            self.assertEqual((got, symbols_at, symbols), (machine, 0, 0), name)
            # Long section names ("/4") live in the symbol string table: only debug sections
            # use them.
            first = at + 24 + optional
            names = [data[first + 40 * i:first + 40 * i + 8] for i in range(sections)]
            self.assertEqual([s for s in names if s.startswith((b".debug", b"/"))], [], name)

    def test_readme_licence_and_credits(self):
        text = self.files["README.txt"]
        self.assertEqual(text.count(b"\n"), text.count(b"\r\n"))
        self.assertTrue(text.endswith(b"\r\n"))
        self.assertIn(("Quillmoor Screen Saver " + VERSION).encode(), text)
        self.assertIn(b"HKEY_CURRENT_USER\\Software\\Quillmoor Screen Saver", text)
        self.assertEqual(self.files["LICENSE"], repository_file("LICENSE"))
        credits = repository_file("samples/CREDITS.md")
        self.assertEqual(self.files["CREDITS.md"], credits)
        pictures = [n for n in os.listdir(os.path.join(ROOT, "samples"))
                    if n.lower().endswith((".jpg", ".bmp", ".gif"))]
        self.assertTrue(pictures)
        for picture in pictures:
            self.assertIn(("`%s`" % picture).encode(), credits)


if __name__ == "__main__":
    ROOT = os.path.abspath(sys.argv.pop(1))
    with open(os.path.join(ROOT, "resources", "quillmoor.rc"), encoding="utf-8") as rc:
        VERSION = re.search(r'VALUE "ProductVersion", "([^"]+)"', rc.read()).group(1)
    ZIP = os.path.join(ROOT, "dist", "quillmoor-screen-saver-%s.zip" % VERSION)
    runner = unittest.TextTestRunner(stream=sys.stdout, verbosity=2)
    result = unittest.main(testRunner=runner, exit=False).result
    passed = result.wasSuccessful() and result.testsRun > 0
    print("Package check: %s (%s)" % ("passed" if passed else "FAILED", os.path.relpath(ZIP, ROOT)))
    sys.exit(0 if passed else 1)

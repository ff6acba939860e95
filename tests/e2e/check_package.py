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

ROOT = None
SCR = "Quillmoor Screen Saver.scr"
ENTRIES = [SCR, "64-bit/" + SCR, "README.txt", "CREDITS.md", "LICENSE", "SHA256SUMS"]


def version():
    with open(os.path.join(ROOT, "resources", "quillmoor.rc"), encoding="utf-8") as rc:
        found = re.search(r'VALUE "ProductVersion", "([^"]+)"', rc.read())
    return found.group(1)


def pe_header(data):
    """(machine, symbol table pointer, symbol count, section names) of a PE file."""
    at = struct.unpack_from("<I", data, 0x3C)[0]
    if data[at:at + 4] != b"PE\0\0":
        raise AssertionError("not a PE file")
    machine, sections, _, symbols_at, symbols, optional = struct.unpack_from("<HHIIIH", data, at + 4)
    first = at + 24 + optional
    names = [data[first + 40 * i:first + 40 * i + 8].rstrip(b"\0").decode("ascii", "replace")
             for i in range(sections)]
    return machine, symbols_at, symbols, names


class Download(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.path = os.path.join(ROOT, "dist", "quillmoor-screen-saver-%s.zip" % version())
        with zipfile.ZipFile(cls.path) as archive:
            cls.names = archive.namelist()
            cls.files = {name: archive.read(name) for name in cls.names}

    def repository_file(self, relative):
        with open(os.path.join(ROOT, relative), "rb") as source:
            return source.read()

    def test_holds_exactly_the_files_a_user_gets(self):
        self.assertEqual(sorted(self.names), sorted(ENTRIES))
        self.assertEqual(len(self.names), len(set(self.names)))

    def test_sums_cover_every_other_file_and_match(self):
        listed = {}
        for line in self.files["SHA256SUMS"].decode("ascii").splitlines():
            match = re.fullmatch(r"([0-9a-f]{64})  (.+)", line)
            self.assertIsNotNone(match, "not in sha256sum format: %r" % line)
            listed[match.group(2)] = match.group(1)
        self.assertEqual(sorted(listed), sorted(n for n in self.names if n != "SHA256SUMS"))
        for name, digest in listed.items():
            self.assertEqual(hashlib.sha256(self.files[name]).hexdigest(), digest, name)

    def test_executables_are_the_built_ones_stripped_each_of_its_architecture(self):
        for name, tree, machine in ((SCR, "build/win", 0x14C), ("64-bit/" + SCR, "build/win64", 0x8664)):
            data = self.files[name]
            self.assertEqual(data, self.repository_file(os.path.join(tree, SCR)), name)
            got_machine, symbols_at, symbols, sections = pe_header(data)
            self.assertEqual(got_machine, machine, name)
            self.assertEqual((symbols_at, symbols), (0, 0), name + " has a symbol table")
            # Long section names ("/4") live in the symbol string table: only debug sections use them.
            self.assertEqual([s for s in sections if s.startswith((".debug", "/"))], [], name)

    def test_readme_has_windows_line_ends_the_version_and_the_settings_key(self):
        text = self.files["README.txt"]
        self.assertEqual(text.count(b"\n"), text.count(b"\r\n"))
        self.assertTrue(text.endswith(b"\r\n"))
        self.assertIn(("Quillmoor Screen Saver " + version()).encode(), text)
        self.assertIn(b"HKEY_CURRENT_USER\\Software\\Quillmoor Screen Saver", text)

    def test_licence_and_credits_are_the_repository_files_and_credit_every_sample(self):
        self.assertEqual(self.files["LICENSE"], self.repository_file("LICENSE"))
        credits = self.repository_file("samples/CREDITS.md").decode("utf-8")
        self.assertEqual(self.files["CREDITS.md"].decode("utf-8"), credits)
        pictures = [n for n in os.listdir(os.path.join(ROOT, "samples"))
                    if n.lower().endswith((".jpg", ".bmp", ".gif"))]
        self.assertTrue(pictures)
        for picture in pictures:
            self.assertIn("`%s`" % picture, credits)


if __name__ == "__main__":
    ROOT = os.path.abspath(sys.argv.pop(1))
    runner = unittest.TextTestRunner(stream=sys.stdout, verbosity=2)
    result = unittest.main(testRunner=runner, exit=False).result
    passed = result.wasSuccessful() and result.testsRun > 0
    print("Package check: %s (%s)" % ("passed" if passed else "FAILED", os.path.relpath(
        os.path.join(ROOT, "dist", "quillmoor-screen-saver-%s.zip" % version()), ROOT)))
    sys.exit(0 if passed else 1)

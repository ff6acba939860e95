"""Reads the resource section of the built screen saver: exactly the sounds, the icon and the
version block, with their ids, languages and contents. Usage: check_resources.py i686|x86_64 SCR"""
import os
import sys
import unittest

import pefile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from make_resources import HERE as RESOURCES, SOUNDS  # noqa: E402  the table of record

SCR = MACHINE = None
# The shipped file is 32-bit; its twin is the same program for 64-bit Windows.
MACHINES = {"i686": (0x14C, 0x10B), "x86_64": (0x8664, 0x20B)}  # machine, optional header magic
# What every Windows from 7 on carries; a runtime DLL (libstdc++, libgcc, winpthread) is not, nor
# winmm, which the program binds by name on first use.
WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "ole32.dll",
                "oleaut32.dll", "shell32.dll", "shlwapi.dll", "comctl32.dll", "uxtheme.dll",
                "windowscodecs.dll", "msvcrt.dll"}
RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16
LARGE_ADDRESS_AWARE = 0x20  # the 32-bit file gets 4 GB under 64-bit Windows, not 2
# Resources copied from committed files, which `make_resources.py --check` keeps as generated.
COMMITTED = {("ATM_SOUND", i, 1033): "sound%d.wav" % i for i in SOUNDS}
COMMITTED.update({(RT_ICON, 30001, 0): "icon_image.bin", (RT_GROUP_ICON, 1, 0): "icon_group.bin"})


class Resources(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = pefile.PE(SCR)
        cls.entries = {(str(kind.name) if kind.name is not None else kind.id, item.id, language.id):
                       language.data.struct for kind in cls.pe.DIRECTORY_ENTRY_RESOURCE.entries
                       for item in kind.directory.entries for language in item.directory.entries}

    def test_a_stripped_large_address_aware_gui_executable_without_runtime_dlls(self):
        header = self.pe.FILE_HEADER
        self.assertEqual((header.Machine, self.pe.OPTIONAL_HEADER.Magic,
                          self.pe.OPTIONAL_HEADER.Subsystem, header.PointerToSymbolTable,
                          header.NumberOfSymbols, header.Characteristics & LARGE_ADDRESS_AWARE),
                         MACHINES[MACHINE] + (2, 0, 0, LARGE_ADDRESS_AWARE))
        # Long section names ("/4") live in the symbol table: only debug sections use them.
        self.assertFalse([s.Name for s in self.pe.sections if s.Name.startswith((b".debug", b"/"))])
        imports = {entry.dll.decode().lower() for entry in self.pe.DIRECTORY_ENTRY_IMPORT}
        self.assertTrue(imports and imports <= WINDOWS_DLLS, "none, or not Windows': %s" % imports)

    def test_exactly_the_committed_sounds_and_icon_and_a_version_block(self):
        self.assertEqual(set(self.entries), set(COMMITTED) | {(RT_VERSION, 1, 1033)})
        for key, name in COMMITTED.items():
            with self.subTest(resource=key), open(os.path.join(RESOURCES, name), "rb") as committed:
                entry = self.entries[key]
                self.assertEqual(self.pe.get_data(entry.OffsetToData, entry.Size), committed.read())

    def test_version_block(self):
        fixed = self.pe.VS_FIXEDFILEINFO[0]
        self.assertEqual((fixed.FileVersionMS, fixed.FileVersionLS, fixed.ProductVersionMS,
                          fixed.ProductVersionLS, fixed.FileOS, fixed.FileType),
                         (0x10000, 0, 0x10000, 0, 4, 1))  # 1.0, 32-bit Windows, an application
        tables = {info.Key: info for info in self.pe.FileInfo[0]}[b"StringFileInfo"].StringTable
        self.assertEqual([table.LangID for table in tables], [b"040904B0"])
        values = {k.decode(): v.decode() for k, v in tables[0].entries.items()}
        self.assertEqual((values["ProductName"], values["FileVersion"], values["OriginalFilename"]),
                         ("Quillmoor Screen Saver", "1.00", "Quillmoor Screen Saver.scr"))


if __name__ == "__main__":
    MACHINE, SCR = sys.argv.pop(1), sys.argv.pop(1)
    unittest.main(verbosity=2)

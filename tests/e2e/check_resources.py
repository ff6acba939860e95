"""Reads the resource section of the built screen saver: exactly the sounds, the icon and the
version block, with their ids, languages, sizes and contents. Usage:
check_resources.py i686|x86_64 SCR"""
import os
import struct
import sys
import unittest

import pefile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from make_resources import HERE as RESOURCES, SOUNDS  # noqa: E402  the table of record

SCR = MACHINE = None
# The shipped file is 32-bit; its twin is the same program for 64-bit Windows.
MACHINES = {"i686": (0x14C, 0x10B), "x86_64": (0x8664, 0x20B)}  # machine, optional header magic
# What every Windows from 7 on carries; a runtime DLL (libstdc++, libgcc, winpthread) is not.
WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "ole32.dll",
                "oleaut32.dll", "shell32.dll", "shlwapi.dll", "comctl32.dll", "uxtheme.dll",
                "windowscodecs.dll", "msvcrt.dll"}
RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16


def chunks(image):
    """The RIFF image's chunks as {id: payload}, in order, honouring pad bytes, and its length."""
    assert image[:4] == b"RIFF" and image[8:12] == b"WAVE"
    length = struct.unpack("<I", image[4:8])[0] + 8
    found, at = [], 12
    while at < length:
        size = struct.unpack("<I", image[at + 4:at + 8])[0]
        found.append((image[at:at + 4].decode("ascii"), image[at + 8:at + 8 + size]))
        at += 8 + size + (size % 2)
    assert at == length, "chunks overrun the RIFF length"
    return found, length


class Resources(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = pefile.PE(SCR)
        cls.entries = {}
        for kind in cls.pe.DIRECTORY_ENTRY_RESOURCE.entries:
            key = str(kind.name) if kind.name is not None else kind.id
            for item in kind.directory.entries:
                for language in item.directory.entries:
                    cls.entries[(key, item.id, language.id)] = language.data.struct

    def data(self, key):
        return self.pe.get_data(self.entries[key].OffsetToData, self.entries[key].Size)

    def test_a_gui_executable_for_its_machine_without_runtime_dlls(self):
        self.assertEqual((self.pe.FILE_HEADER.Machine, self.pe.OPTIONAL_HEADER.Magic,
                          self.pe.OPTIONAL_HEADER.Subsystem), MACHINES[MACHINE] + (2,))
        imports = {entry.dll.decode().lower() for entry in self.pe.DIRECTORY_ENTRY_IMPORT}
        self.assertTrue(imports, "no imports read")
        self.assertLessEqual(imports, WINDOWS_DLLS, "a DLL that Windows does not carry")
        self.assertNotIn("winmm.dll", imports, "winmm is bound by name on first use")

    def test_exactly_these_resources(self):
        expected = {("ATM_SOUND", i, 1033) for i in SOUNDS}
        expected |= {(RT_ICON, 30001, 0), (RT_GROUP_ICON, 1, 0), (RT_VERSION, 1, 1033)}
        self.assertEqual(set(self.entries), expected)

    def test_sounds_are_the_committed_8_bit_pcm_images_with_their_chunks(self):
        for sound_id, (channels, rate, data_bytes, fact, fmt_size, info, size, _) in SOUNDS.items():
            with self.subTest(sound=sound_id):
                image = self.data(("ATM_SOUND", sound_id, 1033))
                with open(os.path.join(RESOURCES, "sound%d.wav" % sound_id), "rb") as committed:
                    self.assertEqual(image, committed.read())
                pairs, length = chunks(image)
                self.assertEqual((len(image), image[length:]), (size, b"\0" * (size - length)))
                self.assertLess(size - length, 4)
                self.assertEqual([name for name, _ in pairs],
                                 ["fmt "] + ["fact"] * fact + ["data"] + ["LIST"] * bool(info))
                found = dict(pairs)
                self.assertEqual(found["fmt "], struct.pack("<HHIIHH", 1, channels, rate,
                                                            rate * channels, channels, 8)
                                 + b"\0\0" * (fmt_size == 18))
                self.assertEqual(len(found["data"]), data_bytes)
                self.assertEqual(found.get("fact"), struct.pack("<I", data_bytes // channels)
                                 if fact else None)
                self.assertEqual(found.get("LIST", b"")[:4], b"INFO" if info else b"")
                self.assertGreater(max(found["data"]) - min(found["data"]), 60, "not silence")

    def test_icon_is_one_32x32_256_colour_image(self):
        self.assertEqual(struct.unpack("<HHHBBBBHHIH", self.data((RT_GROUP_ICON, 1, 0))),
                         (0, 1, 1, 32, 32, 0, 0, 1, 8, 2216, 30001))
        image = self.data((RT_ICON, 30001, 0))
        self.assertEqual(len(image), 2216)
        self.assertEqual(struct.unpack("<IiiHH", image[:16]), (40, 32, 64, 1, 8))
        self.assertGreater(len(set(image[40 + 1024:40 + 2048])), 4, "a picture, not a blank")

    def test_version_block(self):
        fixed = self.pe.VS_FIXEDFILEINFO[0]
        self.assertEqual([getattr(fixed, field) for field in (
            "FileVersionMS", "FileVersionLS", "ProductVersionMS", "ProductVersionLS",
            "FileFlagsMask", "FileFlags", "FileOS", "FileType", "FileSubtype", "FileDateMS",
            "FileDateLS")], [0x10000, 0, 0x10000, 0, 0, 0, 4, 1, 0, 0, 0])
        infos = {info.Key: info for info in self.pe.FileInfo[0]}
        tables = infos[b"StringFileInfo"].StringTable
        self.assertEqual([table.LangID for table in tables], [b"040904B0"])
        values = [(k.decode(), v.decode()) for k, v in tables[0].entries.items()]
        name, company = "Quillmoor Screen Saver", values[1][1]
        self.assertTrue(company, "a company name")
        self.assertEqual(values, [("Comments", name), ("CompanyName", company),
                                  ("ProductName", name), ("FileVersion", "1.00"),
                                  ("ProductVersion", "1.00"), ("InternalName", name),
                                  ("OriginalFilename", name + ".scr")])
        self.assertEqual(infos[b"VarFileInfo"].Var[0].entry, {b"Translation": "0x0409 0x04b0"})


if __name__ == "__main__":
    MACHINE, SCR = sys.argv.pop(1), sys.argv.pop(1)
    unittest.main(verbosity=2)

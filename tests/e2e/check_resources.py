"""Reads the resource section of the built screen saver: exactly the sounds, the icon and the
version block, with their ids, languages, sizes and contents. Usage:
check_resources.py i686|x86_64 SCR"""
import struct
import sys
import unittest

import pefile

SCR = None
# The shipped file is 32-bit; its twin is the same program for 64-bit Windows.
MACHINES = {"i686": (0x14C, 0x10B), "x86_64": (0x8664, 0x20B)}  # machine, optional header magic
MACHINE = None
# What every Windows from 7 on carries; a runtime DLL (libstdc++, libgcc, winpthread) is not.
WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "ole32.dll",
                "oleaut32.dll", "shell32.dll", "shlwapi.dll", "comctl32.dll", "uxtheme.dll",
                "windowscodecs.dll", "msvcrt.dll"}
RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16

# id: (size, channels, rate, data bytes, fact frames or None, fmt size, has LIST/INFO)
SOUNDS = {
    5: (452, 1, 5564, 311, 311, 16, True),
    7: (3128, 1, 11025, 3070, 3070, 16, False),
    60: (1908, 2, 11025, 1850, 925, 18, False),
    61: (772, 1, 11025, 715, 715, 16, False),
    62: (416, 1, 11025, 357, 357, 16, False),
    63: (38772, 2, 11025, 38584, None, 16, True),
    64: (14536, 1, 11025, 14480, 14480, 16, False),
    65: (15800, 1, 11025, 15754, None, 16, False),
    66: (3168, 1, 8000, 3107, 3107, 16 + 2, False),
}


def chunks(image):
    """The RIFF image's chunks as (id, payload), honouring pad bytes, and the image length."""
    assert image[:4] == b"RIFF" and image[8:12] == b"WAVE"
    length = struct.unpack("<I", image[4:8])[0] + 8
    found, at = [], 12
    while at < length:
        name, size = image[at:at + 4].decode("ascii"), struct.unpack("<I", image[at + 4:at + 8])[0]
        found.append((name, image[at + 8:at + 8 + size]))
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
        entry = self.entries[key]
        return self.pe.get_data(entry.OffsetToData, entry.Size)

    def test_a_gui_executable_for_its_machine_without_runtime_dlls(self):
        machine, magic = MACHINES[MACHINE]
        self.assertEqual(self.pe.FILE_HEADER.Machine, machine)
        self.assertEqual(self.pe.OPTIONAL_HEADER.Magic, magic)
        self.assertEqual(self.pe.OPTIONAL_HEADER.Subsystem, 2)
        imports = {entry.dll.decode().lower() for entry in self.pe.DIRECTORY_ENTRY_IMPORT}
        self.assertTrue(imports, "no imports read")
        self.assertLessEqual(imports, WINDOWS_DLLS, "a DLL that Windows does not carry")
        self.assertNotIn("winmm.dll", imports, "winmm is bound by name on first use")

    def test_exactly_these_resources(self):
        expected = {("ATM_SOUND", i, 1033) for i in SOUNDS}
        expected |= {(RT_ICON, 30001, 0), (RT_GROUP_ICON, 1, 0), (RT_VERSION, 1, 1033)}
        self.assertEqual(set(self.entries), expected)

    def test_sounds_are_8_bit_pcm_with_their_chunks(self):
        for sound_id, (size, channels, rate, data_bytes, fact, fmt_size, info) in SOUNDS.items():
            with self.subTest(sound=sound_id):
                image = self.data(("ATM_SOUND", sound_id, 1033))
                self.assertEqual(len(image), size)
                found, length = chunks(image)
                self.assertEqual(image[length:], b"\0" * (size - length))
                self.assertLess(size - length, 4)
                names = [name for name, _ in found]
                expected = ["fmt "] + (["fact"] if fact is not None else []) + ["data"]
                expected += ["LIST"] if info else []
                self.assertEqual(names, expected)
                fmt = dict(found)["fmt "]
                self.assertEqual(len(fmt), fmt_size)
                tag, ch, sample_rate, per_second, align, bits = struct.unpack("<HHIIHH", fmt[:16])
                self.assertEqual((tag, ch, sample_rate, per_second, align, bits),
                                 (1, channels, rate, rate * channels, channels, 8))
                if fmt_size == 18:
                    self.assertEqual(fmt[16:], b"\0\0")
                self.assertEqual(len(dict(found)["data"]), data_bytes)
                if fact is not None:
                    self.assertEqual(struct.unpack("<I", dict(found)["fact"])[0], fact)
                if info:
                    self.assertEqual(dict(found)["LIST"][:4], b"INFO")
                samples = dict(found)["data"]
                self.assertGreater(max(samples) - min(samples), 60, "audible, not silence")

    def test_icon_is_one_32x32_256_colour_image(self):
        group = self.data((RT_GROUP_ICON, 1, 0))
        self.assertEqual(struct.unpack("<HHH", group[:6]), (0, 1, 1))
        w, h, colours, _, planes, bits, size, image_id = struct.unpack("<BBBBHHIH", group[6:20])
        self.assertEqual((w, h, colours, planes, bits, size, image_id),
                         (32, 32, 0, 1, 8, 2216, 30001))
        image = self.data((RT_ICON, 30001, 0))
        self.assertEqual(len(image), 2216)
        header = struct.unpack("<IiiHHIIiiII", image[:40])
        self.assertEqual(header[:5], (40, 32, 64, 1, 8))
        pixels = image[40 + 1024:40 + 1024 + 1024]
        self.assertGreater(len(set(pixels)), 4, "a picture, not a blank")

    def test_version_block(self):
        fixed = self.pe.VS_FIXEDFILEINFO[0]
        self.assertEqual((fixed.FileVersionMS, fixed.FileVersionLS), (0x10000, 0))
        self.assertEqual((fixed.ProductVersionMS, fixed.ProductVersionLS), (0x10000, 0))
        self.assertEqual((fixed.FileFlagsMask, fixed.FileFlags, fixed.FileOS, fixed.FileType,
                          fixed.FileSubtype, fixed.FileDateMS, fixed.FileDateLS),
                         (0, 0, 4, 1, 0, 0, 0))
        tables, translation = [], None
        for info in self.pe.FileInfo[0]:
            if info.Key == b"StringFileInfo":
                tables = info.StringTable
            elif info.Key == b"VarFileInfo":
                translation = info.Var[0].entry
        self.assertEqual(len(tables), 1)
        self.assertEqual(tables[0].LangID, b"040904B0")
        keys = [k.decode() for k in tables[0].entries]
        self.assertEqual(keys, ["Comments", "CompanyName", "ProductName", "FileVersion",
                                "ProductVersion", "InternalName", "OriginalFilename"])
        values = {k.decode(): v.decode() for k, v in tables[0].entries.items()}
        self.assertEqual(values["Comments"], "Quillmoor Screen Saver")
        self.assertEqual(values["ProductName"], "Quillmoor Screen Saver")
        self.assertEqual(values["FileVersion"], "1.00")
        self.assertEqual(values["ProductVersion"], "1.00")
        self.assertEqual(values["InternalName"], "Quillmoor Screen Saver")
        self.assertEqual(values["OriginalFilename"], "Quillmoor Screen Saver.scr")
        self.assertTrue(values["CompanyName"])
        self.assertEqual(translation, {b"Translation": "0x0409 0x04b0"})


if __name__ == "__main__":
    MACHINE = sys.argv.pop(1)
    SCR = sys.argv.pop(1)
    unittest.main(verbosity=2)

#!/usr/bin/env python3
"""Makes the sounds and the icon built into the screen saver (resources/*.wav, *.bin).

Every sound is 8-bit unsigned PCM with exactly the chunk layout, sizes and frame counts the
product carries; the audio is short chimes and clicks synthesised here. Each file ends in zero
bytes up to a multiple of 4, as the resource holds it. Run it again to rebuild them; with
--check it only verifies that the files on disk are what it would write, and that sox reads
every sound.
"""
import math
import os
import struct
import subprocess
import sys

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")

# The last comment is cut to the length that fills the resource exactly.
COMMENT = ("Made by the Quillmoor sound maker: 8-bit unsigned PCM, synthesised chimes and clicks "
           "for the picture show, free of any recording.")

# id: (channels, rate, data bytes, fact, fmt size, INFO texts, resource size, voice)
SOUNDS = {
    5: (1, 5564, 311, True, 16, [("INAM", "Quillmoor tick"), ("ICMT", COMMENT)], 452, "click"),
    7: (1, 11025, 3070, True, 16, None, 3128, "chime"),
    60: (2, 11025, 1850, True, 18, None, 1908, "blip"),
    61: (1, 11025, 715, True, 16, None, 772, "click"),
    62: (1, 11025, 357, True, 16, None, 416, "tick"),
    63: (2, 11025, 38584, False, 16, [("INAM", "Quillmoor fanfare"),
                                      ("ICMT", "Two-voice chime, rising, 1.75 s"),
                                      ("ICOP", "Quillmoor Screen Saver"),
                                      ("ICMT", COMMENT)], 38772, "fanfare"),
    64: (1, 11025, 14480, True, 16, None, 14536, "bell"),
    65: (1, 11025, 15754, False, 16, None, 15800, "bell-low"),
    66: (1, 8000, 3107, True, 18, None, 3168, "chime-low"),
}


def voice(kind, t, duration, channel):
    """One sample in -1..1 at time t seconds."""
    fade = min(1.0, t / 0.004) * max(0.0, 1.0 - t / duration)
    if kind in ("click", "tick"):
        f = 1800.0 if kind == "click" else 2600.0
        return fade * math.exp(-t * 90.0) * math.sin(2 * math.pi * f * t)
    if kind == "blip":
        f = 880.0 * (1.0 + 0.5 * t / duration)
        return fade * math.exp(-t * 30.0) * math.sin(2 * math.pi * f * t + channel * 0.6)
    if kind == "fanfare":
        notes = [523.25, 659.25, 783.99, 1046.5]
        step = duration / len(notes)
        n = min(int(t / step), len(notes) - 1)
        local = t - n * step
        f = notes[n] * (1.0 if channel == 0 else 1.5)
        return fade * 0.8 * math.exp(-local * 6.0) * (math.sin(2 * math.pi * f * t) +
                                                      0.3 * math.sin(4 * math.pi * f * t))
    base = {"chime": 1318.5, "chime-low": 987.8, "bell": 659.25, "bell-low": 523.25}[kind]
    decay = 9.0 if kind.startswith("chime") else 3.0
    return fade * math.exp(-t * decay) * (0.6 * math.sin(2 * math.pi * base * t) +
                                          0.3 * math.sin(2 * math.pi * base * 2.01 * t) +
                                          0.1 * math.sin(2 * math.pi * base * 3.0 * t))


def chunk(name, payload):
    data = name.encode("ascii") + struct.pack("<I", len(payload)) + payload
    return data + (b"\0" if len(payload) % 2 else b"")


def sound(channels, rate, data_bytes, fact, fmt_size, info, resource_size, kind):
    frames = data_bytes // channels
    duration = frames / rate
    samples = bytearray()
    for i in range(frames):
        for c in range(channels):
            value = voice(kind, i / rate, duration, c)
            samples.append(max(0, min(255, int(round(128 + 110 * value)))))
    fmt = struct.pack("<HHIIHH", 1, channels, rate, rate * channels, channels, 8)
    if fmt_size == 18:
        fmt += struct.pack("<H", 0)
    body = b"WAVE" + chunk("fmt ", fmt)
    if fact:
        body += chunk("fact", struct.pack("<I", frames))
    body += chunk("data", bytes(samples))
    if info:
        fixed = b"".join(chunk(key, text.encode("ascii") + b"\0") for key, text in info[:-1])
        room = resource_size - (8 + len(body)) - 8 - 4 - len(fixed) - 8
        last_key, last_text = info[-1]
        length = room if room % 2 == 0 else room - 1  # with its NUL; an odd one gets a pad
        text = last_text.encode("ascii")[:length - 1]
        text = text[:-1] + b"." if text.endswith(b" ") else text
        fields = fixed + chunk(last_key, text + b"\0")
        body += chunk("LIST", b"INFO" + fields)
    image = b"RIFF" + struct.pack("<I", len(body)) + body
    padded = image + b"\0" * (-len(image) % 4)
    if len(padded) != resource_size:
        raise SystemExit("sound of %d bytes, expected %d" % (len(padded), resource_size))
    return padded


def icon():
    """A 32x32, 256-colour picture: a framed landscape, a slideshow of one."""
    palette = [(0, 0, 0)] * 256
    colours = {1: (40, 40, 48), 2: (245, 245, 240), 3: (110, 170, 235), 4: (250, 200, 60),
               5: (60, 150, 70), 6: (30, 100, 45), 7: (200, 200, 205)}
    for index, rgb in colours.items():
        palette[index] = rgb
    pixels = [[0] * 32 for _ in range(32)]
    for y in range(32):
        for x in range(32):
            if 2 <= x <= 29 and 4 <= y <= 27:
                c = 1
                if 4 <= x <= 27 and 6 <= y <= 25:
                    c = 3
                    if (x - 21) ** 2 + (y - 11) ** 2 <= 9:
                        c = 4
                    if y >= 25 - max(0, 8 - abs(x - 10)) and y >= 17:
                        c = 6
                    if y >= 25 - max(0, 6 - abs(x - 22) // 2) and y >= 19:
                        c = 5
                pixels[y][x] = c
            elif 12 <= x <= 19 and 28 <= y <= 30:
                pixels[y][x] = 7
            elif y in (1, 2) and 14 <= x <= 17:
                pixels[y][x] = 7
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 8, 0, 32 * 32 + 32 * 4, 0, 0, 256, 0)
    colour_table = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in palette)
    xor = b"".join(bytes(pixels[y]) for y in range(31, -1, -1))
    mask = bytearray()
    for y in range(31, -1, -1):
        bits = 0
        for x in range(32):
            if pixels[y][x] == 0:
                bits |= 1 << (31 - x)  # transparent
        mask += struct.pack(">I", bits)
    image = header + colour_table + xor + bytes(mask)
    assert len(image) == 2216
    group = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHIH", 32, 32, 0, 0, 1, 8,
                                                       len(image), 30001)
    return image, group


def main():
    check = "--check" in sys.argv
    files = {"sound%d.wav" % i: sound(*tone) for i, tone in SOUNDS.items()}
    files["icon_image.bin"], files["icon_group.bin"] = icon()
    stale = []
    for name, data in files.items():
        path = os.path.join(HERE, name)
        if check:
            with open(path, "rb") as existing:
                if existing.read() != data:
                    stale.append(name)
        else:
            with open(path, "wb") as out:
                out.write(data)
    if stale:
        raise SystemExit("out of date: " + ", ".join(stale))
    if check:
        for name in sorted(n for n in files if n.endswith(".wav")):
            probe = subprocess.run(["sox", "--i", os.path.join(HERE, name)], capture_output=True,
                                   text=True)
            if probe.returncode != 0:
                raise SystemExit("sox cannot read %s: %s" % (name, probe.stderr.strip()))


if __name__ == "__main__":
    main()

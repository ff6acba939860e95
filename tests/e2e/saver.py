"""Drives the built screen saver under Xvfb + Wine: start it, look at the screen, send input."""
import os
import subprocess
import time

SCREEN_W, SCREEN_H = 1024, 768
SETTINGS_KEY = r"HKCU\Software\Quillmoor Screen Saver"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"


def zone_for_hour(hour):
    """A time zone whose local time now has the given hour (Wine takes whole-hour Etc zones)."""
    offset = (hour - time.gmtime().tm_hour + 9) % 24 - 9  # from 9 hours behind to 14 ahead
    return "Etc/GMT%+d" % -offset  # Etc/GMT-5 is five hours ahead of UTC


class Saver:
    """One run of the screen saver, started with a switch. Its local clock shows the given hour,
    by default one far from any greeting hour so that no banner appears."""

    def __init__(self, scr, *arguments, cwd=None, hour=3):
        self.process = subprocess.Popen(["wine", scr, *arguments], cwd=cwd or os.path.dirname(scr),
                                        env=dict(os.environ, TZ=zone_for_hour(hour)),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def alive(self):
        return self.process.poll() is None

    def wait_exit(self, timeout):
        """True when the process ended within timeout seconds."""
        return wait_until(lambda: not self.alive(), timeout, 0.1)

    def stop(self):
        self.process.kill()  # nothing when it has ended
        self.process.wait(timeout=10)


def wait_until(condition, timeout, step=0.2):
    """What the condition gave when it first held, or its last answer after timeout seconds."""
    end = time.monotonic() + timeout
    while not (held := condition()) and time.monotonic() < end:
        time.sleep(step)
    return held


class Shot:
    """A screenshot of the whole X screen, saved as a picture when given a path. An area is
    (left, top, right, bottom), right and bottom exclusive; none is the whole screen. A match is
    a colour or a test of a pixel."""

    def __init__(self, path=None):
        ppm = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                             check=True, capture_output=True).stdout
        _, width, height, _ = ppm.split(maxsplit=3)  # P6, the size, 255, then the pixels
        self.width, self.height = int(width), int(height)
        self.raw = ppm[len(ppm) - self.width * self.height * 3:]
        if path:
            subprocess.run(["convert", "ppm:-", path], input=ppm, check=True)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.raw[i:i + 3])

    def points(self, area, step=1):
        left, top, right, bottom = area or (0, 0, self.width, self.height)
        return ((x, y) for y in range(top, bottom, step) for x in range(left, right, step))

    def all_of(self, colour, area=None, step=4):
        """True when every pixel of a grid with the given step has exactly this colour."""
        return all(self.pixel(x, y) == colour for x, y in self.points(area, step))

    def box_of(self, match, area=None):
        """The area that bounds the pixels that match, or None."""
        test = match if callable(match) else lambda pixel: pixel == match
        found = [(x, y) for x, y in self.points(area) if test(self.pixel(x, y))]
        if found:
            xs, ys = zip(*found)
            return (min(xs), min(ys), max(xs) + 1, max(ys) + 1)


def xdotool(*arguments):
    """Real input (key, mousemove, click, type) or a window query; what it printed."""
    return subprocess.run(["xdotool", *map(str, arguments)], capture_output=True, text=True).stdout


def reg(*arguments):
    """Wine's reg command on the prefix's registry; what it printed."""
    return subprocess.run(["wine", "reg", *arguments], capture_output=True, text=True).stdout


def reset_settings():
    """No stored settings, and the default DPI, which a run stopped midway may have left set."""
    reg("delete", SETTINGS_KEY, "/f")
    reg("delete", DESKTOP_KEY, "/v", "LogPixels", "/f")


def store_setting(section, key_name, value):
    reg("add", SETTINGS_KEY + "\\file\\" + section, "/v", key_name, "/d", value, "/f")


def stored_settings():
    """The stored values as {"section\\key": value}, names lower-cased."""
    values, section = {}, None
    for line in reg("query", SETTINGS_KEY + "\\file", "/s").splitlines():
        if line.startswith("HKEY_"):
            section = line.rsplit("\\", 1)[-1]
        elif "REG_SZ" in line and section:
            name, _, value = line.strip().partition("REG_SZ")
            values[(section + "\\" + name.strip()).lower()] = value.strip()
    return values


def visible_windows():
    """The screen saver's visible top-level windows as (title, x, y, width, height)."""
    for window in xdotool("search", "--onlyvisible", "--classname", "quillmoor").split():
        fields = dict(line.split("=", 1)
                      for line in xdotool("getwindowgeometry", "--shell", window).split())
        yield (xdotool("getwindowname", window).rstrip("\n"),
               *(int(fields[name]) for name in ("X", "Y", "WIDTH", "HEIGHT")))


def window_titled(title):
    """The visible window with this exact title as (title, x, y, width, height), or None."""
    return next((window for window in visible_windows() if window[0] == title), None)


def show_window_visible():
    return any(window[0] == "" and window[3:] == (SCREEN_W, SCREEN_H)
               for window in visible_windows())

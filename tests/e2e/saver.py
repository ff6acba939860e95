"""Drives the built screen saver under Xvfb + Wine: start it, look at the screen, send input."""
import os
import subprocess
import time

SCREEN_W, SCREEN_H = 1024, 768


def zone_for_hour(hour):
    """A time zone whose local time now has the given hour (Wine takes whole-hour Etc zones)."""
    offset = (hour - time.gmtime().tm_hour) % 24
    if offset > 14:
        offset -= 24
    return "Etc/GMT%+d" % -offset  # Etc/GMT-5 is five hours ahead of UTC


class Saver:
    """One run of the screen saver, started with a switch. Its local clock shows the given hour,
    by default one far from any greeting hour so that no banner appears."""

    def __init__(self, scr, *arguments, cwd=None, hour=3):
        self.zone = zone_for_hour(hour)
        self.process = subprocess.Popen(["wine", scr, *arguments], cwd=cwd or os.path.dirname(scr),
                                        env=dict(os.environ, TZ=self.zone),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def alive(self):
        return self.process.poll() is None

    def wait_exit(self, timeout):
        """True when the process ended within timeout seconds."""
        try:
            self.process.wait(timeout=timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def stop(self):
        if self.alive():
            self.process.kill()
            self.process.wait(timeout=10)


def wait_until(condition, timeout, step=0.2):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(step)
    return condition()


class Shot:
    """A screenshot of the whole X screen as RGB bytes."""

    def __init__(self, path=None):
        raw = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                             check=True, capture_output=True).stdout
        if len(raw) != SCREEN_W * SCREEN_H * 3:
            raise AssertionError("unexpected screenshot size %d" % len(raw))
        self.raw = raw
        if path:
            subprocess.run(["convert", "-size", "%dx%d" % (SCREEN_W, SCREEN_H), "-depth", "8",
                            "rgb:-", path], input=raw, check=True)

    def pixel(self, x, y):
        i = (y * SCREEN_W + x) * 3
        return tuple(self.raw[i:i + 3])

    def count(self, colour, step=4):
        """How many pixels of a grid with the given step have exactly this colour."""
        return sum(1 for y in range(0, SCREEN_H, step) for x in range(0, SCREEN_W, step)
                   if self.pixel(x, y) == colour)

    def grid_size(self, step=4):
        return len(range(0, SCREEN_H, step)) * len(range(0, SCREEN_W, step))

    def all_of(self, colour):
        return self.count(colour) == self.grid_size()


def key(*names):
    subprocess.run(["xdotool", "key", *names], check=True)


def click():
    subprocess.run(["xdotool", "click", "1"], check=True)


def move_mouse(x, y):
    subprocess.run(["xdotool", "mousemove", str(x), str(y)], check=True)


def cursor_visible():
    """True when the X cursor image has any opaque pixel (XFixes)."""
    import ctypes

    class Image(ctypes.Structure):
        _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                    ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort),
                    ("yhot", ctypes.c_ushort), ("serial", ctypes.c_ulong),
                    ("pixels", ctypes.POINTER(ctypes.c_ulong)), ("atom", ctypes.c_ulong),
                    ("name", ctypes.c_char_p)]

    x11 = ctypes.CDLL("libX11.so.6")
    xfixes = ctypes.CDLL("libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(Image)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    try:
        image = xfixes.XFixesGetCursorImage(display).contents
        return any((image.pixels[i] >> 24) & 0xFF for i in range(image.width * image.height))
    finally:
        x11.XCloseDisplay(display)


SETTINGS_KEY = r"HKCU\Software\Quillmoor Screen Saver"


def reset_settings():
    subprocess.run(["wine", "reg", "delete", SETTINGS_KEY, "/f"], capture_output=True)


def store_setting(section, key, value):
    subprocess.run(["wine", "reg", "add", SETTINGS_KEY + "\\file\\" + section, "/v", key,
                    "/d", value, "/f"], check=True, capture_output=True)


def query_settings():
    """The stored values as {"section\\key": value}, with the letter case as stored."""
    out = subprocess.run(["wine", "reg", "query", SETTINGS_KEY + "\\file", "/s"],
                         capture_output=True, text=True).stdout
    values, section = {}, None
    for line in out.splitlines():
        if line.startswith("HKEY_"):
            section = line.rsplit("\\", 1)[-1]
        elif "REG_SZ" in line and section:
            name, _, value = line.strip().partition("REG_SZ")
            values[section + "\\" + name.strip()] = value.strip()
    return values


def visible_windows():
    """The screen saver's visible top-level windows as (title, width, height)."""
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--classname",
                          "quillmoor screen saver.scr"], capture_output=True, text=True).stdout
    found = []
    for window in ids.split():
        name = subprocess.run(["xdotool", "getwindowname", window], capture_output=True,
                              text=True).stdout.rstrip("\n")
        geometry = subprocess.run(["xdotool", "getwindowgeometry", window], capture_output=True,
                                  text=True).stdout
        size = geometry.split("Geometry:")[-1].strip() if "Geometry:" in geometry else "0x0"
        width, _, height = size.partition("x")
        found.append((name, int(width or 0), int(height or 0)))
    return found


def show_window_visible():
    return any(name == "" and (w, h) == (SCREEN_W, SCREEN_H) for name, w, h in visible_windows())


def window_titled(title):
    return any(name == title for name, _, _ in visible_windows())


def window_origin(title):
    """Screen position of the client area of the visible window with this exact title."""
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--classname",
                          "quillmoor screen saver.scr"], capture_output=True, text=True).stdout
    for window in ids.split():
        name = subprocess.run(["xdotool", "getwindowname", window], capture_output=True,
                              text=True).stdout.rstrip("\n")
        if name == title:
            geometry = subprocess.run(["xdotool", "getwindowgeometry", window],
                                      capture_output=True, text=True).stdout
            x, _, y = geometry.split("Position:")[1].split()[0].partition(",")
            return int(x), int(y)
    return None


def click_at(x, y):
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "60", text], check=True)

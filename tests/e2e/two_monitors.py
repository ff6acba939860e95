"""The show on two monitors, on an Xorg of its own (dummy driver: a 1024x768 primary, an 800x600
to its right) with a Wine prefix of its own, and a display change during the show. Needs root.
Usage: two_monitors.py PATH-TO-SCR"""
import os, pathlib, subprocess, sys, tempfile, unittest  # noqa: E401
import run_e2e
from run_e2e import BLACK, WHITE, EndToEnd, make_picture
from saver import Shot, store_setting, visible_windows, wait_until, xdotool

PRIMARY, SECOND, OFF = (0, 0, 1024, 768), (1024, 0, 1824, 600), (1024, 600, 1824, 768)
ROOT = (51, 102, 204)  # the bare X screen, seen where no monitor is (OFF)
QUIET = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
XORG_CONF = ('Section "ServerFlags"\n Option "AutoAddDevices" "false"\nEndSection\nSection '
             '"Device"\n Identifier "d"\n Driver "dummy"\n VideoRam 65536\nEndSection\nSection '
             '"Monitor"\n Identifier "m"\n HorizSync 5-1000\n VertRefresh 5-200\nEndSection\n'
             'Section "Screen"\n Identifier "s"\n Device "d"\n Monitor "m"\n SubSection "Display"'
             '\n Depth 24\n Virtual 1824 768\n EndSubSection\nEndSection\n')


def setUpModule():  # noqa: N802
    """Xorg with its monitors placed, and a Wine session that lasts the whole run."""
    folder = unittest.enterModuleContext(tempfile.TemporaryDirectory(prefix="qm-xorg-"))
    pathlib.Path(folder, "xorg.conf").write_text(XORG_CONF)
    n = next(n for n in range(140, 200) if not os.path.exists("/tmp/.X%d-lock" % n))
    os.environ.update(DISPLAY=":%d" % n, WINEPREFIX=os.environ["WINEPREFIX"] + "-two-monitors")
    xorg = subprocess.Popen(["Xorg", ":%d" % n, "-config", folder + "/xorg.conf", "-noreset",
                             "-nolisten", "tcp", "-logfile", folder + "/xorg.log"], **QUIET)
    unittest.addModuleCleanup(xorg.wait, 10)
    unittest.addModuleCleanup(xorg.terminate)
    if not wait_until(lambda: os.path.exists("/tmp/.X11-unix/X%d" % n), 20):
        raise RuntimeError("Xorg did not start:\n" + open(folder + "/xorg.log").read()[-1500:])
    for arguments in (("--output", "DUMMY0", "--mode", "1024x768", "--pos", "0x0", "--primary"),
                      ("--addmode", "DUMMY1", "800x600"),
                      ("--output", "DUMMY1", "--mode", "800x600", "--right-of", "DUMMY0"),
                      ()):  # a full query: until one is made, Wine reads no place for DUMMY1
        subprocess.run(["xrandr", *arguments], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["xsetroot", "-solid", "#%02x%02x%02x" % ROOT], check=True)
    os.makedirs(os.environ["WINEPREFIX"], exist_ok=True)
    subprocess.run(["wineserver", "-p"], check=True, **QUIET)  # one session for the whole run
    unittest.addModuleCleanup(subprocess.run, ["wineserver", "-k"], **QUIET)
    # It makes the prefix the first time; its services, which outlive it, hold no pipe of ours.
    subprocess.run(["wine", "wineboot"], **QUIET)


class ShowOnTwoMonitors(EndToEnd):
    RED, EDGE, CENTRED = (220, 0, 0), (255, 0, 255), (192, 184, 832, 584)  # on the primary

    def setUp(self):
        super().setUp()
        make_picture(self.folder + "/red.bmp", 640, 400, self.RED, self.EDGE)
        self.show_folder()

    def test_second_monitor_covered_and_input_on_it_ends_the_show(self):
        for colour in BLACK, WHITE:  # white: the background setting
            store_setting("Settings", "Background", str(colour[0] * 0x10101))
            xdotool("mousemove", 1400, 300)
            saver = self.start("/s")
            centred = wait_until(lambda: Shot().box_of(self.EDGE, PRIMARY) == self.CENTRED, 25)
            shot = Shot(os.path.join(run_e2e.SHOTS, "e2e-two-monitors-%d.png" % colour[0]))
            if not centred or not shot.all_of(colour, SECOND):
                self.fail("not centred on the primary, or the second monitor not covered; the "
                          "monitors Wine listed, as the show's windows: %s" % [*visible_windows()])
            self.assertTrue(shot.all_of(ROOT, OFF), "covered beyond the monitors")
            if colour == BLACK:
                xdotool("key", "a")
            for move in range(6 if colour == WHITE else 0):  # each to a new place
                self.assertTrue(saver.alive(), "ended after %d moves" % move)
                xdotool("mousemove", 1100 + 100 * move, 100 + 60 * move)
                saver.wait_exit(0.3)
            self.assertTrue(saver.wait_exit(10), "not ended on the second monitor")

    def test_then_the_primary_grows_and_the_next_tick_fills_it(self):
        store_setting("Settings", "Background", "16777215")
        mode = lambda size: subprocess.run(["xrandr", "--output", "DUMMY0", "--mode", size])  # noqa
        self.addCleanup(mode, "1024x768")
        mode("800x600")
        saver = self.start("/s")
        self.assertTrue(wait_until(lambda: Shot().pixel(400, 300) == self.RED, 25), "no show")
        # Through Wine, which then sends WM_DISPLAYCHANGE as Windows does: it sends none for a
        # change made outside it.
        subprocess.run(["wine", os.path.join(os.path.dirname(run_e2e.SCR), "display_mode.exe"),
                        "1024", "768"], check=True, **QUIET)
        centred = wait_until(
            lambda: Shot().box_of(lambda pixel: pixel != WHITE, PRIMARY) == self.CENTRED, 15)
        Shot(os.path.join(run_e2e.SHOTS, "e2e-two-monitors-grown.png"))
        self.assertTrue(centred, "the picture is not centred alone on the new screen")
        self.assertTrue(saver.alive())


if __name__ == "__main__":
    run_e2e.SCR = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)

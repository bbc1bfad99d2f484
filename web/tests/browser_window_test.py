"""Pedestal --web: the window and the page are two views of one pedestal.
A click in the page moves the window's pictures, and a click in the window
moves the page's, on a virtual X server and a block of the test's own name.
Usage: browser_window_test.py PEDESTAL PANEL_RES_DIR"""

import os
import random
import re
import shutil
import subprocess
import sys
import time
import unittest

import browser_common as bc

PROGRAM = None
RES_DIR = None
CAPTION = "R320 UVED Ovu Rared"
# Template positions in pixels (dialog units converted as the window does).
FLAP_PICTURE = (18, 182)
SPEED_BRAKE_PICTURE = (27, 315)
FLAP_3_BUTTON_CENTRE = (108 + 34, 250 + 13)


def read_bmp(path):
    """Rows of (r, g, b) of a 24-bit bottom-up BMP."""
    with open(path, "rb") as f:
        data = f.read()
    offset = int.from_bytes(data[10:14], "little")
    width = int.from_bytes(data[18:22], "little")
    height = int.from_bytes(data[22:26], "little")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height):
        row = data[offset + (height - 1 - y) * stride:][:width * 3]
        rows.append([(row[3 * x + 2], row[3 * x + 1], row[3 * x]) for x in range(width)])
    return rows


def read_ppm(data):
    match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    width, height = int(match.group(1)), int(match.group(2))
    pixels = data[match.end():]
    return [[tuple(pixels[3 * (y * width + x):3 * (y * width + x) + 3]) for x in range(width)]
            for y in range(height)]


class WindowAndPageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        try:
            cls.start()
        except BaseException:
            cls.tearDownClass()
            raise

    @classmethod
    def start(cls):
        for tool in ("Xvfb", "xdotool", "import"):
            if not shutil.which(tool):
                raise unittest.SkipTest(tool + " is not installed")
        cls.display = cls.start_display()
        cls.block_name = "PedestalBrowserWindow_%d" % os.getpid()
        env = dict(os.environ, DISPLAY=cls.display, QT_QPA_PLATFORM="xcb")
        cls.env = env
        cls.window = subprocess.Popen(
            [PROGRAM, "--web", "127.0.0.1:0", "--block", cls.block_name],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, env=env)
        match = re.search(r"open (\S+)", cls.window.stdout.readline())
        if not match:
            raise RuntimeError("Pedestal --web printed no address")
        cls.url = match.group(1)
        cls.block = bc.Block(cls.block_name)
        cls.window_id = bc.wait_until(lambda: cls.find_window(), 10)
        cls.driver = bc.start_browser(800, 1280)
        bc.open_page(cls.driver, cls.url)

    @classmethod
    def tearDownClass(cls):
        if hasattr(cls, "driver"):
            bc.stop_browser(cls.driver)
        if hasattr(cls, "window"):
            cls.window.terminate()
            cls.status = cls.window.wait(10)
            cls.window.stdout.close()
        if hasattr(cls, "block"):
            cls.block.close()
            cls.block.remove()
        if hasattr(cls, "xvfb"):
            cls.xvfb.terminate()
            cls.xvfb.wait(10)

    @classmethod
    def start_display(cls):
        # Other users of the machine start virtual servers too.
        for _ in range(20):
            number = random.randint(300, 900)
            if os.path.exists("/tmp/.X%d-lock" % number):
                continue
            cls.xvfb = subprocess.Popen(
                ["Xvfb", ":%d" % number, "-screen", "0", "800x700x24", "-nolisten", "tcp",
                 "-noreset"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if bc.wait_until(lambda: os.path.exists("/tmp/.X11-unix/X%d" % number), 5):
                return ":%d" % number
            cls.xvfb.kill()
            cls.xvfb.wait()
        raise RuntimeError("no virtual X display could be started")

    @classmethod
    def find_window(cls):
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", CAPTION],
                               capture_output=True, text=True, env=cls.env)
        ids = found.stdout.split()
        return ids[0] if ids else None

    def window_shows(self, bitmap, corner):
        """Whether the window's picture at corner is exactly this bitmap."""
        shot = subprocess.run(["import", "-window", self.window_id, "-depth", "8", "ppm:-"],
                              capture_output=True, env=self.env).stdout
        if not shot:
            return False
        screen = read_ppm(shot)
        picture = read_bmp(os.path.join(RES_DIR, "bitmap%d.bmp" % bitmap))
        x0, y0 = corner
        return all(screen[y0 + y][x0:x0 + len(row)] == row for y, row in enumerate(picture))

    def test_page_click_moves_the_window(self):
        self.assertTrue(bc.wait_until(lambda: self.window_shows(131, FLAP_PICTURE), 5))
        bc.button(self.driver, "flap2").click()
        self.assertTrue(bc.wait_until(lambda: self.window_shows(134, FLAP_PICTURE), 5))
        # The speed brake lives in the window's own core: once the page has
        # put it out, the window's tick holds it out.
        bc.button(self.driver, "speedbrakeout").click()
        self.assertTrue(bc.wait_until(lambda: self.window_shows(138, SPEED_BRAKE_PICTURE), 5))
        time.sleep(5 * bc.TICK)
        self.assertEqual(3, self.block.get("speedBrakeLever"))

    def test_window_click_moves_the_page(self):
        x, y = FLAP_3_BUTTON_CENTRE
        subprocess.run(["xdotool", "mousemove", "--window", self.window_id, str(x), str(y),
                        "click", "1"], check=True, env=self.env)
        self.assertTrue(bc.wait_until(lambda: bc.shown(self.driver, "flapBitmap") == 135, 5))
        self.assertEqual((0, 0, 0, 1, 0), self.block.get("flapLever"))


if __name__ == "__main__":
    PROGRAM, RES_DIR = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=2)

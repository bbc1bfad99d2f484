"""The page in a real headless Chromium against pedestal-web on 127.0.0.1,
with a block of the test's own name: what it shows, what its clicks write,
how it follows other writers and other browsers, and how it rides out a
server restart.  Usage: browser_test.py PEDESTAL_WEB PANEL_RES_DIR"""

import base64
import os
import sys
import time
import unittest

import browser_common as bc

PROGRAM = None
RES_DIR = None
CAPTIONS = {"toga": "TO / GA", "flxmct": "FLX / MCT", "cl": " CL ", "idle": "idle",
            "flapup": "Flap Up", "flap1": "Flap 1", "flap2": "Flap 2", "flap3": "Flap 3",
            "flapfull": "Flap Full", "speedbrakein": "Spd Brk In",
            "speedbrakeout": "Spd Brk Out", "gearup": "Up", "geardown": "Down",
            "brakes": "Brakes On"}


class BrowserTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.block_name = "PedestalBrowserTest_%d" % os.getpid()
        cls.server = bc.Server(PROGRAM, cls.block_name).start()
        cls.block = bc.Block(cls.block_name)
        cls.driver = bc.start_browser(800, 1280)
        bc.open_page(cls.driver, cls.server.url)

    @classmethod
    def tearDownClass(cls):
        bc.stop_browser(cls.driver)
        cls.server.stop()
        cls.block.close()
        cls.block.remove()

    def wait_shown(self, key, value, driver=None, timeout=3.0):
        driver = driver or self.driver
        got = bc.wait_until(lambda: bc.shown(driver, key) == value, timeout)
        self.assertTrue(got, "%s shows %r, not %r" % (key, bc.shown(driver, key), value))

    def test_1_page_shows_the_window(self):
        d = self.driver
        self.assertEqual("R320 UVED Ovu Rared", d.title)
        for command, caption in CAPTIONS.items():
            self.assertEqual(caption, d.execute_script(
                "return arguments[0].textContent", bc.button(d, command)))
        self.wait_shown("thrustText", "IDLE")
        self.assertEqual("Speed Brake In", bc.shown(d, "speedBrakeText"))
        self.assertEqual("Gear Down", bc.shown(d, "gearText"))
        self.assertEqual("Brakes Off", bc.shown(d, "brakesText"))
        # The flap text is updated although hidden, as in the window.
        self.assertEqual("Flaps Up  ", bc.shown(d, "flapText"))
        self.assertFalse(d.execute_script(
            "return document.querySelector(\"[data-shows='flapText']\").checkVisibility()"))
        for key, bitmap in (("thrustBitmap", 141), ("flapBitmap", 131),
                            ("speedBrakeBitmap", 137), ("gearBitmap", 139)):
            self.assertEqual(bitmap, bc.shown(d, key))
            self.assertTrue(d.execute_script(
                "const e = document.querySelector(\"[data-shows='\" + arguments[0] + \"']\");"
                "return e.complete && e.naturalWidth > 0", key), key)
        # The thirteen pictures are the window's own files, byte for byte.
        served = d.execute_async_script("""
            const done = arguments[arguments.length - 1];
            Promise.all([131,133,134,135,136,137,138,139,140,141,142,143,144].map(async id => {
                const bytes = new Uint8Array(await (await fetch('/res/' + id + '.bmp')).arrayBuffer());
                let text = ''; for (const b of bytes) text += String.fromCharCode(b);
                return [id, btoa(text)];
            })).then(done);""")
        for bitmap, data in served:
            with open(os.path.join(RES_DIR, "bitmap%d.bmp" % bitmap), "rb") as f:
                self.assertEqual(f.read(), base64.b64decode(data), bitmap)

    def test_2_clicks_write_what_the_window_writes(self):
        # Each click starts from a block that differs from its result, so
        # that every field the click writes shows up as a change.
        cases = [
            ("flap2", {"flapLever": (0, 0, 0, 1, 1)}, {"flapLever": (0, 0, 1, 0, 0)}),
            ("toga", {"thrustLever": (0.0, 12.5)}, {"thrustLever": (98.0, 98.0)}),
            ("gearup", {"gearLeverUp": 0, "gearUpSelected": 0, "gearDownSelected": 1},
             {"gearLeverUp": 1, "gearUpSelected": 1, "gearDownSelected": 0}),
            ("brakes", {"brakeDemand": (0.0, 0.5, 0.0)}, {"brakeDemand": (1.0, 1.0, 1.0)}),
            ("speedbrakeout", {}, {"speedBrakeLever": 3}),
        ]
        for command, start, expected in cases:
            with self.subTest(command):
                for field, value in start.items():
                    self.block.set(field, *(value if isinstance(value, tuple) else (value,)))
                before = self.block.snapshot()
                bc.button(self.driver, command).click()
                self.assertTrue(bc.wait_until(lambda: all(
                    self.block.get(f) == v for f, v in expected.items())), command)
                self.assertEqual(set(expected), bc.changed_fields(before, self.block.snapshot()))
        self.wait_shown("brakesCaption", "Brakes Off")
        self.wait_shown("speedBrakeBitmap", 138)
        # The selection is held: the tick writes it again over another writer.
        self.block.set("speedBrakeLever", 1)
        self.assertTrue(bc.wait_until(lambda: self.block.get("speedBrakeLever") == 3))

    def test_3_another_writer_shows_within_two_ticks(self):
        delays = []
        for flags, bitmap in (((0, 0, 0, 0, 1), 136), ((0, 1, 0, 0, 0), 133),
                              ((0, 0, 0, 1, 0), 135)):
            self.driver.execute_script("""
                const picture = document.querySelector("[data-shows='flapBitmap']");
                window.seenAfter = null;
                const start = performance.now();
                new MutationObserver((changes, observer) => {
                    if (picture.dataset.bitmap === String(arguments[0])) {
                        window.seenAfter = performance.now() - start;
                        observer.disconnect();
                    }
                }).observe(picture, {attributes: true});""", bitmap)
            self.block.set("flapLever", *flags)
            seen = bc.wait_until(lambda: self.driver.execute_script("return window.seenAfter"))
            self.assertIsNotNone(seen, bitmap)
            delays.append(seen / 1000.0)
        print("other writer to page: %s ms" % ", ".join("%.0f" % (d * 1000) for d in delays))
        # Two ticks, and room for the test's own round trips.
        self.assertLess(min(delays), 2 * bc.TICK + 0.08)

    def test_4_two_browsers_stay_in_step(self):
        first = self.driver.current_window_handle
        self.driver.switch_to.new_window("tab")
        second = self.driver.current_window_handle
        try:
            bc.open_page(self.driver, self.server.url)
            bc.button(self.driver, "flapfull").click()
            self.driver.switch_to.window(first)
            self.wait_shown("flapBitmap", 136)
            bc.button(self.driver, "geardown").click()
            self.driver.switch_to.window(second)
            self.wait_shown("gearBitmap", 139)
            self.wait_shown("flapBitmap", 136)
        finally:
            self.driver.switch_to.window(second)
            self.driver.close()
            self.driver.switch_to.window(first)

    def test_5_banner_while_the_server_is_away(self):
        d = self.driver
        self.server.stop()
        self.assertTrue(bc.wait_until(lambda: d.execute_script(
            "return document.body.classList.contains('offline')"), 5))
        banner = d.execute_script(
            "const b = document.getElementById('banner');"
            "return getComputedStyle(b).visibility === 'visible' ? b.textContent : ''")
        self.assertIn("Disconnected", banner)
        self.assertEqual("none", d.execute_script(
            "return getComputedStyle(document.getElementById('window')).pointerEvents"))
        self.server.start()
        self.assertTrue(bc.wait_until(lambda: not d.execute_script(
            "return document.body.classList.contains('offline')"), 15), "no reconnection")
        bc.button(d, "flap1").click()
        self.assertTrue(bc.wait_until(lambda: self.block.get("flapLever") == (0, 1, 0, 0, 0)))
        self.wait_shown("flapBitmap", 133)


if __name__ == "__main__":
    PROGRAM, RES_DIR = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=2)

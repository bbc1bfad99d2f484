"""The page laid out for the screen it is on, in a real headless Chromium:
large targets that fill a tablet in either orientation, the window's groups
in the window's order.  Usage: browser_layout_test.py PEDESTAL_WEB"""

import os
import sys
import unittest

import browser_common as bc

PROGRAM = None
# Each group's buttons, top to bottom, as the window's frames hold them.
GROUPS = [["TO / GA", "FLX / MCT", " CL ", "idle"],
          ["Flap Up", "Flap 1", "Flap 2", "Flap 3", "Flap Full"],
          ["Spd Brk In", "Spd Brk Out"], ["Brakes On", "Up", "Down"]]
# The visible buttons and the pictures as painted (object-fit: contain), per group.
MEASURE = """
const painted = (e) => {
    const r = e.getBoundingClientRect();
    if (e.tagName !== 'IMG') return r;
    const s = Math.min(r.width / e.naturalWidth, r.height / e.naturalHeight);
    const w = e.naturalWidth * s, h = e.naturalHeight * s;
    return {left: r.left + (r.width - w) / 2, right: r.right - (r.width - w) / 2,
            top: r.top + (r.height - h) / 2, bottom: r.bottom - (r.height - h) / 2,
            width: w, height: h};
};
return {view: [innerWidth, innerHeight, document.documentElement.scrollHeight],
        groups: [...document.querySelectorAll('.group')].map(g =>
            [...g.querySelectorAll('button, img')].filter(e => e.checkVisibility()).map(e => {
                const r = painted(e);
                return {tag: e.tagName, text: e.textContent,
                        left: r.left, right: r.right, top: r.top, bottom: r.bottom,
                        width: r.width, height: r.height};
            }))};"""


class LayoutTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.block_name = "PedestalLayoutTest_%d" % os.getpid()
        cls.server = bc.Server(PROGRAM, cls.block_name).start()
        cls.driver = bc.start_browser(800, 1280)

    @classmethod
    def tearDownClass(cls):
        bc.stop_browser(cls.driver)
        cls.server.stop()
        try:
            os.unlink("/dev/shm/" + cls.block_name)
        except FileNotFoundError:
            pass

    def test_fills_the_screen_in_either_orientation(self):
        # (viewport, groups side by side, least share of the width spanned
        # and of the screen covered); a phone only keeps its targets large.
        cases = [((1280, 800), True, 0.85, 0.60), ((800, 1280), False, 0.85, 0.60),
                 ((390, 844), False, 0.0, 0.0)]
        for (width, height), side_by_side, span, cover in cases:
            with self.subTest(viewport=(width, height)):
                self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                    "width": width, "height": height, "deviceScaleFactor": 1, "mobile": True})
                bc.open_page(self.driver, self.server.url)
                self.assertTrue(bc.wait_until(lambda: self.driver.execute_script(
                    "return [...document.images].every(i => i.complete)")))
                page = self.driver.execute_script(MEASURE)
                self.assertEqual([width, height, height], page["view"], "scrolls")
                groups = page["groups"]
                self.assertEqual(GROUPS, [[e["text"] for e in g if e["tag"] == "BUTTON"]
                                          for g in groups])
                controls = [e for g in groups for e in g]
                for group in groups:
                    self.assertEqual(1, sum(e["tag"] == "IMG" for e in group))
                    buttons = [e for e in group if e["tag"] == "BUTTON"]
                    for e in buttons:
                        self.assertGreaterEqual(min(e["width"], e["height"]), 48, e)
                    self.assertTrue(all(a["bottom"] <= b["top"]
                                        for a, b in zip(buttons, buttons[1:])), buttons)
                # Next group: to the right in landscape, below in portrait.
                for a, b in zip(groups, groups[1:]):
                    if side_by_side:
                        self.assertLessEqual(max(e["right"] for e in a),
                                             min(e["left"] for e in b))
                    else:
                        self.assertLessEqual(max(e["bottom"] for e in a),
                                             min(e["top"] for e in b))
                spanned = (max(e["right"] for e in controls) -
                           min(e["left"] for e in controls)) / width
                tall = (max(e["bottom"] for e in controls) -
                        min(e["top"] for e in controls)) / height
                print("%dx%d: span %.0f%%, cover %.0f%%" % (width, height, 100 * spanned,
                                                             100 * spanned * tall))
                self.assertGreaterEqual(spanned, span)
                self.assertGreaterEqual(spanned * tall, cover)


if __name__ == "__main__":
    PROGRAM = sys.argv[1]
    unittest.main(argv=sys.argv[:1], verbosity=2)

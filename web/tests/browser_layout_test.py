"""The page fills a tablet in either orientation with large targets, grouped as the window groups them."""

import os
import sys
import unittest

import browser_common as bc

# Per group, the visible buttons and pictures (as painted: object-fit contain), once all are loaded.
MEASURE = """if (![...document.images].every(i => i.complete)) return null;
return [...document.querySelectorAll('.group')].map(g =>
    [...g.querySelectorAll('button, img')].filter(e => e.checkVisibility()).map(e => {
        const r = e.getBoundingClientRect(), i = e.tagName === 'IMG', n = [e.naturalWidth, e.naturalHeight];
        const s = i ? Math.min(r.width / n[0], r.height / n[1]) : 0;
        const x = i ? (r.width - n[0] * s) / 2 : 0, y = i ? (r.height - n[1] * s) / 2 : 0;
        return {text: i ? null : e.textContent, left: r.left + x, right: r.right - x,
                top: r.top + y, bottom: r.bottom - y};
    }))"""
GROUPS = [["TO / GA", "FLX / MCT", " CL ", "idle"], ["Flap Up", "Flap 1", "Flap 2", "Flap 3", "Flap Full"],
          ["Spd Brk In", "Spd Brk Out"], ["Brakes On", "Up", "Down"]]


class LayoutTest(unittest.TestCase):
    def test_fills_the_screen_in_either_orientation(self):
        block = "/dev/shm/PedestalLayoutTest_%d" % os.getpid()
        self.addCleanup(lambda: os.path.exists(block) and os.unlink(block))
        server = bc.Server(PROGRAM, os.path.basename(block)).start()
        self.addCleanup(server.stop)
        driver = bc.start_browser()
        self.addCleanup(bc.stop_browser, driver)
        # Viewport, groups side by side, least share of the width spanned and of the
        # screen covered; a phone only keeps its targets large.
        for width, height, side_by_side, span, cover in [
                (1280, 800, True, 0.85, 0.60), (800, 1280, False, 0.85, 0.60), (390, 844, False, 0, 0)]:
            with self.subTest(viewport=(width, height)):
                driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                    "width": width, "height": height, "deviceScaleFactor": 1, "mobile": True})
                bc.open_page(driver, server.url)
                groups = bc.wait_until(lambda: driver.execute_script(MEASURE))
                self.assertEqual(height, driver.execute_script("return document.documentElement.scrollHeight"))
                buttons = [[e for e in g if e["text"] is not None] for g in groups]
                self.assertEqual(GROUPS, [[e["text"] for e in g] for g in buttons])
                for g in buttons:
                    self.assertTrue(all(a["bottom"] <= b["top"] for a, b in zip(g, g[1:])), g)
                    self.assertGreaterEqual(min(min(e["right"] - e["left"], e["bottom"] - e["top"]) for e in g), 48)
                # The next group stands to the right in landscape, below in portrait.
                far, near = ("right", "left") if side_by_side else ("bottom", "top")
                for a, b in zip(groups, groups[1:]):
                    self.assertLessEqual(max(e[far] for e in a), min(e[near] for e in b))
                every = [e for g in groups for e in g]
                wide = (max(e["right"] for e in every) - min(e["left"] for e in every)) / width
                tall = (max(e["bottom"] for e in every) - min(e["top"] for e in every)) / height
                self.assertTrue(wide >= span and wide * tall >= cover, "span %.2f, cover %.2f" % (wide, wide * tall))


if __name__ == "__main__":
    PROGRAM = sys.argv[1]
    unittest.main(argv=sys.argv[:1], verbosity=2)

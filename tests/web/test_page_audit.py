# The page served over http as the web's own tools audit it: axe-core finds no accessibility fault
# on the desktop or on a phone with touch, nothing moves after the first paint, the console stays
# clean, the keyboard focus shows as a ring around the picture, and the live region says what the
# run does.
import base64
import io
import os
import re
import subprocess
import time
import unittest
import urllib.request

from PIL import Image

import browsers
from test_devices import PHONE, emulated_chromium
from trenox_page import BROWSER, FRAME_COUNT, PAGE, SOURCE_DIR, ProgramPage, ProgramTest, frame_after

AXE = SOURCE_DIR / "build-node" / "node_modules" / "axe-core" / "axe.min.js"
# Below this the page's layout shift is nil (a "good" page is under 0.1).
MOST_LAYOUT_SHIFT = 0.01
ANNOUNCE_TIMEOUT = 10.0

# Sums the page's layout shifts since it loaded, as its cumulative layout shift counts them.
LAYOUT_SHIFT = """
return new Promise((resolve) => {
  new PerformanceObserver((list) => resolve(list.getEntries().filter((e) => !e.hadRecentInput)
                                              .reduce((sum, e) => sum + e.value, 0)))
    .observe({type: 'layout-shift', buffered: true});
  setTimeout(() => resolve(0), 500);  // no entry at all
});"""


class HttpServer:
    """python3's own http.server on 127.0.0.1, on a free port, serving `folder`."""

    def __init__(self, folder):
        self.process = subprocess.Popen(
            ["/usr/bin/python3", "-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory", str(folder)],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        line = self.process.stdout.readline()
        self.port = int(re.search(r"port (\d+)", line).group(1))

    def url(self, name):
        return f"http://127.0.0.1:{self.port}/{name}"

    def stop(self):
        self.process.terminate()
        self.process.wait()
        self.process.stdout.close()


def serve(test, folder=PAGE.parent):
    server = HttpServer(folder)
    test.addCleanup(server.stop)
    return server


def axe_violations(page):
    """axe-core's violations on the page as it is now: (rule, the elements' selectors)."""
    page.script(AXE.read_text() + "\nwindow.trenoxAxe = null;"
                "axe.run(document).then((r) => { window.trenoxAxe = r.violations.map("
                "(v) => [v.id, v.nodes.map((n) => n.target.join(' '))]); });")
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        result = page.script("return window.trenoxAxe;")
        if result is not None:
            return result
        time.sleep(0.2)
    raise AssertionError("axe-core did not finish")


@unittest.skipUnless(AXE.exists(), "axe-core is not installed (scripts/deps.sh test)")
class AuditTest(ProgramTest):
    def open_page(self):
        self.server = serve(self)
        return ProgramPage(url=self.server.url(PAGE.name))

    def test_no_accessibility_violation_on_the_desktop(self):
        self.wait_until_running()
        self.assertEqual(axe_violations(self.page), [])

    def test_nothing_moves_after_the_first_paint(self):
        if not self.page.script("return PerformanceObserver.supportedEntryTypes.includes('layout-shift');"):
            self.skipTest(f"{BROWSER} does not report layout shifts")
        self.wait_until_running()
        self.assertLess(self.page.script(LAYOUT_SHIFT), MOST_LAYOUT_SHIFT)

    def test_markup_names_the_page_and_sizes_the_canvas_before_the_program_runs(self):
        with urllib.request.urlopen(self.server.url(PAGE.name)) as response:
            markup = response.read().decode()
        self.assertRegex(re.search(r"<title>(.*?)</title>", markup).group(1), r"\S")
        self.assertRegex(markup, r'<meta name="description" content="[^"]+">')
        self.assertRegex(markup, r'<meta name="theme-color" content="#[0-9a-f]{6}">')
        canvas = re.search(r"<canvas[^>]*>", markup).group(0)
        self.assertIn('role="img"', canvas)
        self.assertRegex(canvas, r'width="\d+"')
        self.assertRegex(canvas, r'aria-label="[^"]*Escape[^"]*"')

    def status(self):
        return self.page.script("return document.getElementById('status').textContent;")

    def wait_for_status(self, wanted, after):
        deadline = time.monotonic() + ANNOUNCE_TIMEOUT
        while time.monotonic() < deadline:
            if self.status() == wanted:
                return
            time.sleep(0.05)
        self.fail(f"after {after}: the live region says {self.status()!r}, not {wanted!r}")

    def test_live_region_says_runs_stops_steps_and_the_end(self):
        self.assertEqual(self.page.script("return document.getElementById('status').getAttribute('aria-live');"),
                         "polite")
        held = self.speed_up_and_hold()
        self.wait_for_status(f"Stopped at frame {held} of {FRAME_COUNT}", "a stop")
        self.page.press_key(".")
        self.wait_for_status(f"Stopped at frame {frame_after(held, 1)} of {FRAME_COUNT}", "a step forward")
        self.page.press_key("-")
        self.wait_for_status("Running backward", "'-'")
        self.page.press_key("+")
        self.wait_for_status("Running forward", "'+'")
        self.page.press_key("\ue00c")  # ESC
        self.wait_for_status("TrenoxVK has ended. Reload the page to run it again.", "ESC")


@unittest.skipUnless(BROWSER == "chromium", "the screenshot and the phone are Chromium's (DevTools protocol)")
class ChromiumAuditTest(ProgramTest):
    def open_page(self):
        self.server = serve(self)
        return ProgramPage(emulated_chromium(PHONE, touch=True), url=self.server.url(PAGE.name))

    @unittest.skipUnless(AXE.exists(), "axe-core is not installed (scripts/deps.sh test)")
    def test_no_accessibility_violation_on_a_phone_with_touch(self):
        self.wait_until_running()
        self.assertEqual(axe_violations(self.page), [])

    def test_focus_draws_a_ring_around_the_picture(self):
        self.wait_until_running()
        self.assertTrue(self.page.script("return document.activeElement === document.getElementById('canvas');"))
        box = self.page.script("const r = document.getElementById('canvas').getBoundingClientRect();"
                               "return [r.left, r.top, r.right, r.bottom];")
        ring = self.ring_colours(box)
        self.page.script("document.getElementById('canvas').blur();")
        time.sleep(0.2)
        unfocused = self.ring_colours(box)
        self.assertNotEqual(ring, unfocused, "the focus changes nothing around the picture")
        self.assertEqual(len(set(ring)), 1, f"the ring is not one colour all round: {ring}")

    def ring_colours(self, box):
        """The screen's colours just under the canvas's bottom edge (it fills the phone's width)."""
        shot = self.page.browser.cdp("Page.captureScreenshot", {"format": "png"})["data"]
        screen = Image.open(io.BytesIO(base64.b64decode(shot))).convert("RGB")
        ratio = PHONE["deviceScaleFactor"]
        left, top, right, bottom = box
        points = [(left + (right - left) * part, bottom + 1.5) for part in (0.25, 0.5, 0.75)]
        return [screen.getpixel((round(x * ratio), round(y * ratio))) for x, y in points]


if __name__ == "__main__":
    unittest.main()

# The page on other screens, as Chromium emulates them: a phone (390 x 844 CSS pixels at 3x, touch),
# upright and turned, its finger's moves and taps and the row of key buttons; and a desktop screen
# at 2x, each picture pixel a block of device pixels.
import base64
import io
import time
import unittest
import zlib

from PIL import Image

import browsers
from trenox_page import (CLIENT_HEIGHT, CLIENT_WIDTH, FRAMES, LONGER_THAN_A_PASS, FRAME_TIMEOUT, ProgramPage,
                         ProgramTest, frame_after)

PHONE = {"width": 390, "height": 844, "deviceScaleFactor": 3, "mobile": True}
PHONE_TURNED = dict(PHONE, width=844, height=390)
DENSE_DESKTOP = {"width": 1280, "height": 1000, "deviceScaleFactor": 2, "mobile": False}

# Drags longer than the browser's slop for a tap, in canvas pixels (some 20 CSS pixels on the phone).
DRAG = 40
INSIDE = 300

LAYOUT = """
const box = (id) => { const r = document.getElementById(id).getBoundingClientRect();
                      return [r.left, r.top, r.width, r.height]; };
const view = document.documentElement;
return {view: [view.clientWidth, view.clientHeight], scroll: [view.scrollWidth, view.scrollHeight],
        window: box('window'), canvas: box('canvas'), controls: box('controls'), caption: box('caption'),
        captionFont: parseFloat(getComputedStyle(document.getElementById('caption')).fontSize),
        buttons: [...document.querySelectorAll('#controls button')].map((b) => [b.dataset.key, b.getBoundingClientRect().height]),
        rendering: getComputedStyle(document.getElementById('canvas')).imageRendering};"""


def emulated_chromium(metrics, touch):
    browser = browsers.Chromium()
    browser.cdp("Emulation.setDeviceMetricsOverride", metrics)
    if touch:
        browser.cdp("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})
    return browser


class PhoneTest(ProgramTest):
    def open_page(self):
        return ProgramPage(emulated_chromium(PHONE, touch=True))

    def layout(self):
        return self.page.script(LAYOUT)

    def expect_fits(self, layout):
        view_width, view_height = layout["view"]
        left, top, width, height = layout["window"]
        self.assertLessEqual(layout["scroll"], layout["view"], "the page scrolls")
        self.assertGreaterEqual(left, 0)
        self.assertGreaterEqual(top, 0)
        self.assertLessEqual(left + width, view_width + 0.5)
        canvas = layout["canvas"]
        self.assertAlmostEqual(canvas[2] / canvas[3], CLIENT_WIDTH / CLIENT_HEIGHT, delta=0.01, msg="proportions")
        controls = layout["controls"]
        self.assertEqual([key for key, _ in layout["buttons"]], ["-", "/", ".", "+", "Escape"])
        self.assertTrue(all(height >= 40 for _, height in layout["buttons"]), layout["buttons"])
        if view_width > view_height:
            # Held sideways: the buttons beside the picture, which takes the screen's height.
            self.assertAlmostEqual(height, view_height, delta=1, msg="the picture does not take the height")
            self.assertGreaterEqual(controls[0], left + width - 1, "the buttons are not beside the picture")
            self.assertLessEqual(controls[0] + controls[2], view_width + 0.5, "the buttons are off the screen")
            self.assertAlmostEqual(left, view_width - controls[0] - controls[2], delta=1.5, msg="not centred")
        else:
            # Upright: as wide as the screen, the buttons under it.
            self.assertAlmostEqual(left, view_width - left - width, delta=1.5, msg="not centred")
            self.assertGreaterEqual(controls[1], top + height - 1, "the buttons are not under the picture")
            self.assertLessEqual(controls[1] + controls[3], view_height + 0.5, "the buttons are off the screen")
            self.assertTrue(width >= view_width - 1 or controls[1] + controls[3] >= view_height - 1, layout)
        # The caption readable on the screen, whole, in its bar above the canvas.
        scale = canvas[2] / CLIENT_WIDTH
        self.assertGreaterEqual(layout["captionFont"] * scale, 11 - 0.01, "the caption is too small to read")
        self.assertAlmostEqual(layout["caption"][1] + layout["caption"][3], canvas[1], delta=1)
        self.assertEqual(self.page.script("const bar = document.getElementById('caption');"
                                          "return bar.scrollHeight <= bar.clientHeight;"), True, "caption cut off")
        # Reduced on the screen's pixels, so the browser may smooth it.
        self.assertNotEqual(layout["rendering"], "pixelated")

    def tap(self, x, y):
        self.page.browser.touch(("move", x, y), ("down",), ("up",))

    def tap_canvas(self, x, y, taps=1):
        left, top, width, _ = self.layout()["canvas"]
        scale = width / CLIENT_WIDTH
        self.page.browser.touch(("move", left + (x + 0.5) * scale, top + (y + 0.5) * scale),
                                *[("down",), ("up",)] * taps)

    def drag_canvas(self, x, y, dx, dy):
        left, top, width, _ = self.layout()["canvas"]
        scale = width / CLIENT_WIDTH
        self.page.browser.touch(("move", left + x * scale, top + y * scale), ("down",),
                                ("move", left + (x + dx) * scale, top + (y + dy) * scale), ("up",))

    def press_button(self, key):
        layout = self.page.script(
            "const r = document.querySelector(`#controls button[data-key='${arguments[0]}']`).getBoundingClientRect();"
            "return [r.left + r.width / 2, r.top + r.height / 2];", key)
        self.tap(*layout)

    def test_fits_upright_and_turned(self):
        self.wait_until_showing()
        self.expect_fits(self.layout())
        self.page.browser.cdp("Emulation.setDeviceMetricsOverride", PHONE_TURNED)
        deadline = time.monotonic() + 5
        while self.layout()["view"][0] != PHONE_TURNED["width"] and time.monotonic() < deadline:
            time.sleep(0.05)
        self.expect_fits(self.layout())

    def test_finger_moves_and_taps_reach_the_window(self):
        self.wait_until_running()
        self.drag_canvas(80, 80, -DRAG, -DRAG)  # ends near the top-left corner: a fast run
        self.assertEqual(len(self.page.watch_frames(8, timeout=4)), 8, "the drag did not speed the run up")
        # A tap is a click: after it, a drag stops the run, and the next steps forward.
        self.tap_canvas(INSIDE, INSIDE)
        self.drag_canvas(INSIDE, INSIDE, 0, DRAG)
        held = self.page.wait_for_steady_frame(held=LONGER_THAN_A_PASS, timeout=2 * FRAME_TIMEOUT)
        self.assertIsNotNone(held, "the first drag after the tap did not stop the run")
        self.drag_canvas(INSIDE, INSIDE + DRAG, 0, DRAG)
        self.expect_shows_and_holds(frame_after(held, 1), "a drag down")

    def test_a_button_types_its_key(self):
        self.wait_until_running()
        self.press_button("Escape")
        self.expect_ended()


class DenseScreenTest(ProgramTest):
    def open_page(self):
        return ProgramPage(emulated_chromium(DENSE_DESKTOP, touch=False))

    def test_each_picture_pixel_is_a_block_of_one_colour(self):
        self.wait_until_showing()
        layout = self.page.script(LAYOUT)
        left, top, width, height = layout["canvas"]
        self.assertEqual([width, height], [CLIENT_WIDTH, CLIENT_HEIGHT], "not at its natural size")
        self.assertEqual(layout["controls"][2:], [0, 0], "buttons on a screen with a fine pointer")
        shot = self.page.browser.cdp("Page.captureScreenshot", {"format": "png"})["data"]
        screen = Image.open(io.BytesIO(base64.b64decode(shot))).convert("RGBA")
        ratio = DENSE_DESKTOP["deviceScaleFactor"]
        canvas = screen.crop((round(left * ratio), round(top * ratio), round((left + width) * ratio),
                              round((top + height) * ratio)))
        self.assertEqual(canvas.size, (CLIENT_WIDTH * ratio, CLIENT_HEIGHT * ratio))
        # The canvas as each of a block's device pixels sees it: ratio x ratio pictures of the client area.
        pixels = memoryview(canvas.tobytes()).cast("I")
        rows = [pixels[row * canvas.width:(row + 1) * canvas.width] for row in range(canvas.height)]
        pictures = [b"".join(row[dx::ratio].tobytes() for row in rows[dy::ratio])
                    for dx in range(ratio) for dy in range(ratio)]
        self.assertTrue(all(picture == pictures[0] for picture in pictures),
                        "some blocks of device pixels are not one colour")
        self.assertIn(zlib.crc32(pictures[0]), FRAMES, "the canvas on screen is none of the frames")


if __name__ == "__main__":
    unittest.main()

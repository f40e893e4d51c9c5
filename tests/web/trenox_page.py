# TrenoxVK.html in a headless browser (TRENOX_BROWSER: chromium or firefox), driven like a user:
# keys, pointer, and every frame it draws, identified by its pixels against the frames decoded here
# from frames/*.bmp.
import base64
import io
import os
import re
import time
import unittest
import zlib
from pathlib import Path

from PIL import Image

import browsers

SOURCE_DIR = Path(os.environ.get("TRENOX_SOURCE_DIR", Path(__file__).resolve().parents[2]))
PAGE = Path(os.environ.get("TRENOX_WEB_PAGE", SOURCE_DIR / "build-web" / "TrenoxVK.html")).resolve()
BROWSER = os.environ.get("TRENOX_BROWSER", "chromium")

FRAME_COUNT = 18
FRAME_TIMEOUT = 10.0  # seconds: at the starting pace a frame comes once a second
HELD_FOR = 0.3  # seconds a frame must stay to count as held
# At the starting pace a frame stays about a second while the run goes on, and input takes effect
# only at the end of that pass: a stop is seen only in a frame that stays longer than that.
LONGER_THAN_A_PASS = 2.0
EXIT_TIMEOUT = 10.0

# Runs in the page before the program: after each picture put on the canvas, reads the whole canvas
# back and logs its CRC-32 with the time whenever it has changed. This holds the program still at
# each draw, as the desktop harness does with SIGSTOP, so no frame goes unseen.
RECORDER = """
(() => {
  const table = new Int32Array(256);
  for (let n = 0; n < 256; n++) {
    let c = n;
    for (let k = 0; k < 8; k++) c = (c & 1) ? (0xEDB88320 ^ (c >>> 1)) : (c >>> 1);
    table[n] = c;
  }
  const crc32 = (bytes) => {
    let c = -1;
    for (let i = 0; i < bytes.length; i++) c = table[(c ^ bytes[i]) & 255] ^ (c >>> 8);
    return (c ^ -1) >>> 0;
  };
  window.trenoxShown = [];
  window.trenoxCanvasCrc = () => {
    const canvas = document.getElementById('canvas');
    const context = canvas.getContext('2d');
    return crc32(context.getImageData(0, 0, canvas.width, canvas.height).data);
  };
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    put.apply(this, args);
    const crc = window.trenoxCanvasCrc();
    const log = window.trenoxShown;
    if (log.length === 0 || log[log.length - 1][0] !== crc) log.push([crc, performance.now()]);
  };
})();
"""


# The window's caption and client area, as the program's own headers define them.
_LAYOUT = (SOURCE_DIR / "app" / "window_layout.h").read_text()
_AREA = (SOURCE_DIR / "input" / "picture_area.h").read_text()
CAPTION = "".join(re.findall(r'"([^"]*)"', re.search(r"kCaption\s*=((?:\s*\"[^\"]*\")+);", _LAYOUT).group(1)))


def _client_size(name):
    """A client area size: a number, or the picture area's constant that it is."""
    value = re.search(rf"{name} = (\w+);", _LAYOUT).group(1)
    return int(value) if value.isdigit() else int(re.search(rf"{value} = (\d+);", _AREA).group(1))


CLIENT_WIDTH = _client_size("kClientWidth")
CLIENT_HEIGHT = _client_size("kClientHeight")


def decode_frames():
    """CRC-32 of each frame as the client area shows it (RGBA, cut to the client size) -> frame number."""
    catalog = {}
    for number in range(1, FRAME_COUNT + 1):
        with Image.open(SOURCE_DIR / "frames" / f"frame{number:02d}.bmp") as bitmap:
            client = bitmap.convert("RGBA").crop((0, 0, CLIENT_WIDTH, CLIENT_HEIGHT))
            catalog[zlib.crc32(client.tobytes())] = number
    assert len(catalog) == FRAME_COUNT, "two frames look the same"
    return catalog


def frame_after(frame, steps):
    return (frame - 1 + steps) % FRAME_COUNT + 1


FRAMES = decode_frames()


class ProgramPage:
    """The program's page in a browser of its own, with every frame it draws logged."""

    def __init__(self, browser=None, url=None):
        """In a browser of its own, or in `browser` as it has been set up (a device emulated); from
        disk, or from `url`."""
        self.browser = browser or browsers.start(BROWSER)
        self.browser.add_preload_script(RECORDER)
        self.browser.open(url or PAGE.as_uri())
        self.seen = 0  # log entries already handed out by next_frames
        self.pointer = (0, 0)

    def close(self):
        self.browser.quit()

    def script(self, source, *args):
        return self.browser.script(source, *args)

    # What the page has drawn: (frame number or 0 for a picture that is none of them, page time in s).
    def shown(self):
        return [(FRAMES.get(crc, 0), at / 1000) for crc, at in self.script("return window.trenoxShown || [];")]

    def now(self):
        return self.script("return performance.now();") / 1000

    def wait_for_frame(self, wanted, timeout=FRAME_TIMEOUT):
        """The first frame from now on (the one showing counts) for which wanted(frame) holds."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            log = self.shown()
            for frame, _ in log[max(self.seen, 1) - 1:]:
                if wanted(frame):
                    self.seen = len(log)
                    return frame
            self.seen = len(log)
            time.sleep(0.02)
        return None

    def wait_for_steady_frame(self, held=HELD_FOR, timeout=FRAME_TIMEOUT):
        """The frame once it has stayed for `held` seconds, or None if the frames keep changing."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            log, now = self.script("return [window.trenoxShown, performance.now()];")
            if log and now - log[-1][1] >= held * 1000:
                self.seen = len(log)
                return FRAMES.get(log[-1][0], 0)
            time.sleep(0.02)
        return None

    def watch_frames(self, count, timeout=FRAME_TIMEOUT):
        """The frame showing now and the ones drawn after it, `count` in all (fewer if the run stops)."""
        start = max(len(self.shown()) - 1, 0)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            log = self.shown()
            if len(log) - start >= count:
                self.seen = start + count
                return [frame for frame, _ in log[start:start + count]]
            time.sleep(0.02)
        return [frame for frame, _ in self.shown()[start:]]

    def frame_intervals(self, seconds):
        """Times in ms between the frames drawn over the next `seconds`."""
        start = len(self.shown())
        time.sleep(seconds)
        times = [at for _, at in self.shown()[start:]]
        return [(b - a) * 1000 for a, b in zip(times, times[1:])]

    def canvas_image(self):
        """The canvas as it is now, read back through a PNG."""
        data_url = self.script("return document.getElementById('canvas').toDataURL('image/png');")
        return Image.open(io.BytesIO(base64.b64decode(data_url.split(",", 1)[1]))).convert("RGBA")

    # Input, as the browser delivers a user's: keys to the focused element, the pointer in
    # canvas pixels (CSS pixels from the canvas's top-left corner).
    def press_key(self, key):
        self.browser.type_keys(key)

    def canvas_origin(self):
        return self.script("const box = document.getElementById('canvas').getBoundingClientRect();"
                           "return [box.left, box.top];")

    def move_pointer_to(self, x, y):
        left, top = self.canvas_origin()
        self.browser.pointer(("move", left + x, top + y))
        self.pointer = (x, y)

    def move_pointer_by(self, dx, dy):
        self.move_pointer_to(self.pointer[0] + dx, self.pointer[1] + dy)

    def click(self):
        self.browser.pointer(("down",), ("up",))

    def double_click(self):
        self.browser.pointer(("down",), ("up",), ("down",), ("up",))

    def console_errors(self):
        return self.browser.errors()


class ProgramTest(unittest.TestCase):
    """A test with the program in a page of its own; the page must log no error."""

    def setUp(self):
        self.page = self.open_page()
        self.addCleanup(self.page.close)

    def open_page(self):
        return ProgramPage()

    def tearDown(self):
        self.assertEqual(self.page.console_errors(), [], "errors on the page's console")

    def wait_until_showing(self):
        self.assertIsNotNone(self.page.wait_for_frame(lambda frame: True), "no frame was ever shown")

    def wait_until_running(self):
        """The loop runs (frame 1 gone): the start sequence would overwrite a pace or request set before."""
        self.wait_until_showing()
        self.assertIsNotNone(self.page.wait_for_frame(lambda frame: frame != 1), "the loop never ran")

    def speed_up_and_hold(self):
        """Moves the pointer near the top-left corner (a fast run), stops the run; the frame it holds."""
        self.wait_until_running()
        self.page.move_pointer_to(40, 40)
        fast_frames = 8  # at the starting pace they would take several seconds
        self.assertEqual(len(self.page.watch_frames(fast_frames)), fast_frames, "the run did not go on")
        self.page.press_key("*")
        held = self.page.wait_for_steady_frame()
        self.assertIsNotNone(held, "the run did not stop")
        return held

    def expect_shows_and_holds(self, wanted, after):
        self.assertEqual(self.page.wait_for_frame(lambda frame: frame == wanted), wanted,
                         f"after {after}: frame {wanted} never came")
        self.assertEqual(self.page.wait_for_steady_frame(), wanted, f"after {after}")

    def expect_ended(self):
        """The program has ended: it draws no more, and the canvas is the last frame dimmed, with a line of text."""
        # The handler runs at the end of the pass that reads the key: wait for the canvas to be
        # something other than the frame drawn last.
        deadline = time.monotonic() + EXIT_TIMEOUT
        while self.page.script("return window.trenoxShown.at(-1)[0] === window.trenoxCanvasCrc();"):
            self.assertLess(time.monotonic(), deadline, "still running")
            time.sleep(0.05)
        last = self.page.shown()[-1][0]
        time.sleep(1)
        drawn = len(self.page.shown())
        frame = Image.open(SOURCE_DIR / "frames" / f"frame{last:02d}.bmp").convert("RGBA")
        frame = frame.crop((0, 0, CLIENT_WIDTH, CLIENT_HEIGHT))
        ended = self.page.canvas_image()
        self.assertEqual(ended.size, frame.size)
        # Away from the line of text in the middle, each pixel is the frame's at 40 % brightness.
        dimmed = [(row, x) for row in range(0, CLIENT_HEIGHT, 7) for x in range(0, CLIENT_WIDTH, 7)
                  if abs(row - CLIENT_HEIGHT // 2) > 30]
        wrong = [(x, row) for row, x in dimmed
                 if any(abs(e - round(0.4 * f)) > 2 for e, f in zip(ended.getpixel((x, row))[:3],
                                                                     frame.getpixel((x, row))[:3]))]
        self.assertEqual(wrong[:5], [], f"{len(wrong)} of {len(dimmed)} pixels are not the frame dimmed")
        band = ended.crop((0, CLIENT_HEIGHT // 2 - 15, CLIENT_WIDTH, CLIENT_HEIGHT // 2 + 15)).convert("L")
        self.assertGreater(max(band.getdata()), 200, "no line of text on the dimmed canvas")
        # Input is ignored from now on: nothing is drawn, the canvas stays as it is.
        crc = self.page.script("return window.trenoxCanvasCrc();")
        for key in ("+", ".", "-"):
            self.page.press_key(key)
        self.page.move_pointer_to(40, 40)
        self.page.click()
        time.sleep(1)
        self.assertEqual(len(self.page.shown()), drawn, "a frame was drawn after the end")
        self.assertEqual(self.page.script("return window.trenoxCanvasCrc();"), crc, "the canvas changed after the end")

    def expect_key_shows(self, key, wanted):
        self.page.press_key(key)
        self.expect_shows_and_holds(wanted, repr(key))

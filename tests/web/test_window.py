# The page as the user first sees it: activated without a click, frames 1 and 2 exact; the caption
# as its title and title bar; the canvas at its size, with the keyboard focus; the page answering
# while it runs.
import time
import unittest

from trenox_page import CAPTION, CLIENT_HEIGHT, CLIENT_WIDTH, ProgramTest

# The longest a script may wait for the page at the starting pace, the slowest the loop goes.
ROUND_TRIP_LIMIT = 0.150


class WindowTest(ProgramTest):
    def test_activated_without_a_click_shows_frame_one_then_frame_two(self):
        self.wait_until_running()
        self.assertEqual([frame for frame, _ in self.page.shown()[:2]], [1, 2])

    def test_caption_is_the_title_and_the_title_bar(self):
        self.wait_until_showing()
        self.assertEqual(self.page.script("return document.querySelector('title').textContent;"), CAPTION)
        # What the browser makes of a title: its runs of spaces collapsed, the ends trimmed.
        self.assertEqual(self.page.script("return document.title;"), " ".join(CAPTION.split()))
        bar = self.page.script("""
            const bar = document.getElementById('caption');
            const canvas = document.getElementById('canvas').getBoundingClientRect();
            return [bar.textContent, getComputedStyle(bar).whiteSpace, bar.getBoundingClientRect().bottom, canvas.top];""")
        self.assertEqual(bar[0], CAPTION)
        self.assertEqual(bar[1], "pre", "the title bar would collapse the caption's runs of spaces")
        self.assertEqual(bar[2], bar[3], "the title bar is not right above the canvas")

    def test_canvas_is_the_client_area_with_the_focus(self):
        self.wait_until_showing()
        canvas = self.page.script("""
            const canvas = document.getElementById('canvas');
            const box = canvas.getBoundingClientRect();
            return [canvas.width, canvas.height, box.width, box.height, document.activeElement === canvas];""")
        self.assertEqual(canvas, [CLIENT_WIDTH, CLIENT_HEIGHT, CLIENT_WIDTH, CLIENT_HEIGHT, True])
        # Nothing else shows on a desktop: the window, its title bar and the canvas (the landmark
        # holds them; the heading and the live region are for a screen reader only).
        self.assertEqual(self.page.script(
            "return [...document.body.querySelectorAll('*')].filter((e) => e.getClientRects().length > 0"
            " && e.tagName !== 'MAIN' && !e.classList.contains('visually-hidden')).map((e) => e.id);"),
            ["window", "caption", "canvas"])

    def test_page_answers_while_the_start_count_runs(self):
        self.wait_until_running()
        slowest = 0.0
        for _ in range(10):
            started = time.perf_counter()
            self.page.script("return 0;")
            slowest = max(slowest, time.perf_counter() - started)
            time.sleep(0.15)
        self.assertLess(slowest, ROUND_TRIP_LIMIT, "a script waited too long for the page")
        self.assertIsNotNone(self.page.wait_for_frame(lambda frame: True), "the run stopped")


if __name__ == "__main__":
    unittest.main()

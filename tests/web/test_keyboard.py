# The keys of the caption, typed into the page without a click first: runs, stops, single steps, ESC.
import unittest

from selenium.webdriver.common.keys import Keys

from trenox_page import FRAME_TIMEOUT, ProgramTest, frame_after


class KeyboardTest(ProgramTest):
    def test_stop_then_step_forward_and_back(self):
        held = self.speed_up_and_hold()
        self.expect_key_shows(".", frame_after(held, 1))
        self.expect_key_shows(" ", frame_after(held, 2))
        self.expect_key_shows("*", frame_after(held, 3))
        self.expect_key_shows("/", frame_after(held, 2))
        self.expect_key_shows("/", frame_after(held, 1))

    def test_other_keys_change_nothing(self):
        held = self.speed_up_and_hold()
        for key in ("a", Keys.ENTER, Keys.BACK_SPACE, "5"):
            self.page.press_key(key)
        self.assertEqual(self.page.wait_for_steady_frame(), held)
        # Still listening, and nothing left pending: the next step is one frame.
        self.expect_key_shows(".", frame_after(held, 1))

    def test_run_backward_then_forward(self):
        # At the starting pace, so that every frame of the run is seen: the pass that takes "-" goes
        # back two frames, then one per pass; "," and "+" likewise forward.
        self.wait_until_showing()
        for key, direction in (("-", -1), (",", 1), ("+", 1)):
            # Typed just after a frame appears, the key is read at the end of that frame's pass.
            before = self.page.watch_frames(2)
            self.assertEqual(len(before), 2, f"the run stopped before {key!r}")
            self.page.press_key(key)
            seen = self.page.watch_frames(3, timeout=2 * FRAME_TIMEOUT)
            self.assertEqual(len(seen), 3, key)
            self.assertEqual(seen[0], before[-1], key)
            self.assertEqual(seen[1], frame_after(seen[0], 2 * direction), key)
            self.assertEqual(seen[2], frame_after(seen[1], direction), key)

    def test_escape_ends_the_program(self):
        self.wait_until_running()
        self.page.press_key(Keys.ESCAPE)
        self.expect_ended()


if __name__ == "__main__":
    unittest.main()

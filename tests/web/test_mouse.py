# The pointer as the browser delivers it, in canvas pixels: a move, a click and a double-click each
# reach the window. What each does is the core's to prove (tests/input_dispatcher_test.cpp).
import statistics
import unittest

from trenox_page import CLIENT_HEIGHT, CLIENT_WIDTH, FRAME_TIMEOUT, LONGER_THAN_A_PASS, ProgramTest, frame_after

STEP = 10  # pixels per pointer move
INSIDE = 200


class MouseTest(ProgramTest):
    def test_moves_set_the_pace_where_the_pointer_is(self):
        # Near the top-left corner the idle count is a few dozen iterations; at the bottom-right
        # about 11,000 (some 11 ms); at the start it is 1,000,000 (a second).
        self.wait_until_running()
        self.page.move_pointer_to(40, 40)
        self.page.watch_frames(3)
        near = statistics.median(self.page.frame_intervals(1.0))
        self.page.move_pointer_to(CLIENT_WIDTH - 20, CLIENT_HEIGHT - 20)
        self.page.watch_frames(3)
        far = statistics.median(self.page.frame_intervals(1.0))
        self.assertLess(near, 100, "the first move did not speed the run up")
        self.assertGreater(far, near + 4, "the pace does not follow the pointer")

    def test_click_reaches_the_window(self):
        # After a click, moves step the frames: the first stops the run, the next steps forward.
        self.wait_until_running()
        self.page.move_pointer_to(INSIDE, INSIDE)
        self.page.click()
        self.page.move_pointer_by(0, STEP)
        held = self.page.wait_for_steady_frame(held=LONGER_THAN_A_PASS, timeout=2 * FRAME_TIMEOUT)
        self.assertIsNotNone(held, "the first move after the click did not stop the run")
        self.page.move_pointer_by(0, STEP)
        self.expect_shows_and_holds(frame_after(held, 1), "a move down")

    def test_double_click_ends_the_program(self):
        self.wait_until_showing()
        self.page.move_pointer_to(INSIDE, INSIDE)
        self.page.double_click()
        self.expect_ended()


if __name__ == "__main__":
    unittest.main()

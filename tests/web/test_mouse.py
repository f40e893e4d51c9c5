# The pointer on the canvas: it sets the pace; a click switches to stepping with the pointer and
# back; a double-click ends the program.
import statistics
import time
import unittest

from selenium.webdriver.common.keys import Keys

from trenox_page import CLIENT_HEIGHT, CLIENT_WIDTH, FRAME_TIMEOUT, LONGER_THAN_A_PASS, ProgramTest, frame_after

BETWEEN_CLICKS = 0.7  # seconds: clicks further apart than this are two clicks, not a double-click
STEP = 10  # pixels per pointer move
INSIDE = 200


class MouseTest(ProgramTest):
    def expect_move_shows(self, dx, dy, wanted):
        self.page.move_pointer_by(dx, dy)
        self.expect_shows_and_holds(wanted, f"a move by ({dx}, {dy})")

    def test_pointer_sets_the_pace(self):
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

    def test_click_steps_with_the_pointer_and_click_again_resumes_the_run(self):
        self.wait_until_running()
        self.page.move_pointer_to(INSIDE, INSIDE)
        self.page.click()
        # Entering manual mode stops nothing: the first move asks for a step, which stops the run.
        self.page.move_pointer_by(0, STEP)
        held = self.page.wait_for_steady_frame(held=LONGER_THAN_A_PASS, timeout=2 * FRAME_TIMEOUT)
        self.assertIsNotNone(held, "the first move in manual mode did not stop the run")

        self.expect_move_shows(0, STEP, frame_after(held, 1))  # down: forward
        self.expect_move_shows(0, STEP, frame_after(held, 2))
        self.expect_move_shows(0, -STEP, frame_after(held, 1))  # up: back
        self.expect_move_shows(STEP, 0, frame_after(held, 2))  # sideways counts as down

        # The second click resumes the run that the first one interrupted: forward, a frame a pass.
        time.sleep(BETWEEN_CLICKS)
        self.page.click()
        seen = self.page.watch_frames(6)
        self.assertEqual(len(seen), 6)
        for before, after in zip(seen[1:], seen[2:]):
            self.assertEqual(after, frame_after(before, 1), f"frame {after} after {before}")

    def test_double_click_ends_the_program(self):
        self.wait_until_showing()
        self.page.move_pointer_to(INSIDE, INSIDE)
        self.page.double_click()
        self.expect_ended()

    def test_escape_ends_the_program_in_manual_mode(self):
        self.wait_until_running()
        self.page.move_pointer_to(INSIDE, INSIDE)
        self.page.click()
        self.page.move_pointer_by(0, STEP)
        self.assertIsNotNone(self.page.wait_for_steady_frame(held=LONGER_THAN_A_PASS, timeout=2 * FRAME_TIMEOUT))
        self.page.press_key(Keys.ESCAPE)
        self.expect_ended()


if __name__ == "__main__":
    unittest.main()

# Keys as the browser delivers them, without a click first: a typed character reaches the window,
# and ESC ends the program. What each key does is the core's to prove (tests/input_test.cpp).
import unittest

from selenium.webdriver.common.keys import Keys

from trenox_page import ProgramTest, frame_after


class KeyboardTest(ProgramTest):
    def test_typed_character_reaches_the_window(self):
        held = self.speed_up_and_hold()  # "*" stops the run
        self.expect_key_shows(".", frame_after(held, 1))

    def test_escape_ends_the_program(self):
        self.wait_until_running()
        self.page.press_key(Keys.ESCAPE)
        self.expect_ended()


if __name__ == "__main__":
    unittest.main()

"""The screen keeps up with the pictures: however fast they are repainted,
once the repainting stops the screen shows the last picture painted."""

import unittest

from driver import Program, binary_path

LAST = (12, 34, 56)
PANEL_C = (300, 240, 60, 40)


class Screen_Updates_Test(unittest.TestCase):
    def test_after_a_burst_of_repaints_the_screen_shows_the_last_picture(self):
        with Program(binary_path("panel_demo"), title_prefix="panel demo", arguments=["animate"]) as program:
            program.wait_for_title("still", timeout=60)
            # With the repainting over, the screen comes to show the last picture.
            left, top, width, height = PANEL_C

            def shows_the_last(shot):
                return all(shot.pixel(left + x, top + y) == LAST
                           for x, y in [(0, 0), (width - 1, height - 1), (width // 2, height // 2)])
            program.screenshot_when(shows_the_last)
            program.close()
            self.assertEqual(program.wait(5), 0)


if __name__ == "__main__":
    unittest.main()

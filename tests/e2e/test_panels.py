"""Picture panels in a real X server: export, move and resize through the mouse."""

import glob
import os
import re
import time
import unittest

from layout import BLUE, ITEM_HEIGHT, WHITE
from driver import EVENT_PAUSE, Program, binary_path, identify, read_picture_file, wait_for, xdotool


# The demo's panels: place, size and picture.
PANEL_A = dict(left=60, top=80, width=28, height=28, pixel=lambda x, y: (9 * x, 9 * y, 4 * (x + y)))
PANEL_B = dict(left=200, top=80, width=10, height=20,
               pixel=lambda x, y: WHITE if ((x // 5) + (y // 5)) % 2 == 0 else (0, 0, 0))
PANEL_C = dict(left=300, top=240, width=60, height=40, pixel=lambda x, y: (3 * x + y,) * 3)


def shows_panel(shot, panel, left, top):
    """Whether the screenshot shows the panel's picture with its top-left corner at (left, top)."""
    for x, y in [(0, 0), (panel["width"] - 1, 0), (0, panel["height"] - 1), (panel["width"] - 1, panel["height"] - 1),
                 (panel["width"] // 2, panel["height"] // 3)]:
        if shot.pixel(left + x, top + y) != panel["pixel"](x, y):
            return False
    return True


class Panels_Test(unittest.TestCase):
    def setUp(self):
        self.program = Program(binary_path("panel_demo"), title_prefix="panel demo")
        self.program.screenshot_when(lambda shot: shows_panel(shot, PANEL_C, PANEL_C["left"], PANEL_C["top"]))

    def tearDown(self):
        self.program.close()
        try:
            self.assertEqual(self.program.wait(timeout=5), 0)
        finally:
            self.program.finish()

    def choose(self, panel, item):
        """Right-clicks the panel's middle and chooses an item of its menu."""
        x = panel["left"] + panel["width"] // 2
        y = panel["top"] + panel["height"] // 2
        self.program.move(x, y)
        self.program.click(3)
        self.program.move(x + 20, y + item * ITEM_HEIGHT + ITEM_HEIGHT // 2)
        self.program.click(1)

    def saved_pictures(self):
        return sorted(glob.glob(os.path.join(self.program.folder, "*.bmp")))

    def test_output_bitmap_saves_the_panels_picture_as_a_24_bit_bmp(self):
        self.choose(PANEL_A, 1)
        files = wait_for(self.saved_pictures, 5, what="a saved picture")
        self.assertEqual(len(files), 1)
        self.assertRegex(os.path.basename(files[0]), r"^-?\d+\.bmp$")
        kind, width, height, depth = identify(files[0])[:4]
        self.assertIn(kind, ("BMP", "BMP3"))
        self.assertEqual((width, height), ("28", "28"))
        self.assertEqual(depth, "8")  # 8 bits per channel: 24-bit colour
        with open(files[0], "rb") as file:
            self.assertEqual(len(file.read()), 54 + 28 * 84)
        picture = read_picture_file(files[0])
        for y in range(28):
            for x in range(28):
                self.assertEqual(picture.pixel(x, y), PANEL_A["pixel"](x, y), "pixel (%d, %d)" % (x, y))
        # Nothing half-written stays behind.
        self.assertEqual(glob.glob(os.path.join(self.program.folder, "*.partial")), [])

    def test_two_exports_never_replace_each_other(self):
        self.choose(PANEL_B, 1)
        self.choose(PANEL_B, 1)
        files = wait_for(lambda: len(self.saved_pictures()) >= 2 and self.saved_pictures(), 5, what="two pictures")
        self.assertEqual(len(files), 2)
        names = [os.path.basename(name) for name in files]
        seconds = [re.match(r"^(-?\d+)", name).group(1) for name in names]
        if seconds[0] == seconds[1]:  # saved within one second: the second took the next free name
            self.assertEqual(sorted(names), [seconds[0] + "-2.bmp", seconds[0] + ".bmp"])
        for name in files:
            picture = read_picture_file(name)
            self.assertEqual((picture.width, picture.height), (10, 20))
            self.assertEqual(picture.pixel(0, 0), WHITE)
            self.assertEqual(picture.pixel(5, 0), (0, 0, 0))

    def test_move_window_lets_the_panel_follow_the_pointer_until_a_click(self):
        self.choose(PANEL_A, 0)
        # The menu closed 20 pixels right of the panel's middle and half an item
        # down: the panel keeps that offset to the pointer while it moves.
        grab_x = PANEL_A["width"] // 2 + 20
        grab_y = PANEL_A["height"] // 2 + ITEM_HEIGHT // 2
        self.program.move(400, 300)
        self.program.move(420, 330)
        self.program.click(1)
        self.program.move(700, 500)  # after the click the panel stays
        left, top = 420 - grab_x, 330 - grab_y
        shot = self.program.screenshot_when(lambda shot: shows_panel(shot, PANEL_A, left, top))
        self.assertEqual(shot.pixel(PANEL_A["left"] + 5, PANEL_A["top"] + 5), BLUE)

    def test_dragging_the_right_edge_widens_the_panel_and_shows_white_beside_the_picture(self):
        right = PANEL_C["left"] + PANEL_C["width"]
        middle = PANEL_C["top"] + PANEL_C["height"] // 2
        self.program.move(right - 1, middle)
        self.program.press(1)
        self.program.move(right + 20, middle)
        self.program.move(right + 40, middle)
        self.program.release(1)

        def widened(shot):
            return (shows_panel(shot, PANEL_C, PANEL_C["left"], PANEL_C["top"])
                    and shot.pixel(right + 10, middle) == WHITE and shot.pixel(right + 39, PANEL_C["top"] + 2) == WHITE
                    and shot.pixel(right + 45, middle) == BLUE)
        self.program.screenshot_when(widened)

    def test_a_resize_dragged_out_of_the_window_and_released_there_leaves_the_rest_of_the_row_blue(self):
        # The window is moved off the screen's left edge, so that the pointer
        # can leave it to the left.
        window = self.program.main_window()
        xdotool("windowmove", window, 300, 100)

        def origin():
            place = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", window).splitlines())
            return (int(place["X"]), int(place["Y"])) if int(place["X"]) >= 100 else None
        window_x, window_y = wait_for(origin, 5, what="the window to move")
        right = PANEL_C["left"] + PANEL_C["width"]
        middle = PANEL_C["top"] + PANEL_C["height"] // 2
        self.program.move(right - 1, middle)
        self.program.press(1)
        self.program.move(right - 30, middle)
        # Out of the window to the left and let go there: the window sees
        # neither, so the edge stays where the pointer left the window.
        xdotool("mousemove", window_x - 40, window_y + middle)
        time.sleep(EVENT_PAUSE)
        xdotool("mousemove", window_x - 60, window_y + middle + 5)
        time.sleep(EVENT_PAUSE)
        self.program.release(1)
        time.sleep(1)

        # The panel is narrower than its picture now, which it still shows
        # whole; beside the picture, no white frame reaches out.
        self.program.screenshot_when(lambda shot: shows_panel(shot, PANEL_C, PANEL_C["left"], PANEL_C["top"]) and all(
            shot.pixel(x, middle) == BLUE for x in range(right, shot.width)))


if __name__ == "__main__":
    unittest.main()

"""The complete program while the user works with it: the worker trains, or
dreams, and meanwhile the pointer sweeps over the pictures, moves them with
"Move window", drags their edges, opens and dismisses their menus and exports
them with "Output Bitmap". Every export is a whole, valid BMP file of the
picture's size, the pictures end up where the mouse put them, the worker
keeps going all the while, and the program ends with code 0 when closed.

In the instrumented builds this is where the two threads meet hardest: the
worker paints the pictures and asks for repaints while the window's thread
dispatches the mouse, moves the pictures, paints them and saves them."""

import glob
import os
import re
import struct
import unittest

from layout import BLUE, ITEM_HEIGHT, WHITE, middle, pictures
from driver import Program, binary_path, blob_image, identify, idx_images, read_picture_file, settings_text, wait_for

IMAGES = idx_images([blob_image(k) for k in range(30)])

# Where the worker lays out the pictures of a 10 × 10 and an 8 × 8 hidden
# layer: left, top, width, height.
PICTURES = pictures(10, 10, 8, 8)
LAYER_0, LAYER_1, LAYER_2 = PICTURES["layer 0"], PICTURES["layer 1"], PICTURES["layer 2"]
CONNECTION_0, CONNECTION_1 = PICTURES["connection 0"], PICTURES["connection 1"]
ALL_PICTURES = tuple(PICTURES.values())


def is_grey(pixel):
    return pixel[0] == pixel[1] == pixel[2]


def area(shot, left, top, width, height):
    return [shot.pixel(left + x, top + y) for y in range(height) for x in range(width)]


def bmp_row_size(width):
    return (width * 24 + 31) // 32 * 4


class User(object):
    """The mouse work of a user on the program's window."""

    def __init__(self, program):
        self.program = program

    def choose(self, x, y, item):
        """Right-clicks at (x, y) and chooses an item of the menu that opens there."""
        self.program.move(x, y)
        self.program.click(3)
        self.program.move(x + 20, y + item * ITEM_HEIGHT + ITEM_HEIGHT // 2)
        self.program.click(1)

    def dismiss_menu(self, x, y):
        """Right-clicks at (x, y), then releases the left button beside the menu."""
        self.program.move(x, y)
        self.program.click(3)
        self.program.move(x - 15, y + 5)
        self.program.click(1)

    def sweep(self):
        """Passes the pointer over every picture and its edges."""
        for left, top, width, height in ALL_PICTURES:
            for x, y in [(left + 1, top + 1), (left + width // 2, top + height // 2), (left + width, top + height // 2),
                         (left + width // 2, top + height), (left + width, top + height)]:
                self.program.move(x, y)

    def move_picture(self, picture, to_left, to_top, via=()):
        """Moves a picture with "Move window" so that its top-left corner ends
        at (to_left, to_top), passing the points of via on the way."""
        x, y = middle(picture)
        self.choose(x, y, 0)
        # The grip is where the menu closed: 20 pixels right of the middle and
        # half an item down; the picture keeps that offset to the pointer.
        grab_x = x + 20 - picture[0]
        grab_y = y + ITEM_HEIGHT // 2 - picture[1]
        for point in via:
            self.program.move(*point)
        self.program.move(to_left + grab_x, to_top + grab_y)
        self.program.click(1)

    def drag(self, start, end, steps=3):
        """Presses the left button at start, moves in steps to end and releases it there."""
        self.program.move(*start)
        self.program.press(1)
        for k in range(1, steps + 1):
            self.program.move(start[0] + (end[0] - start[0]) * k // steps, start[1] + (end[1] - start[1]) * k // steps)
        self.program.release(1)

    def export(self, picture):
        """Chooses "Output Bitmap" on the picture; the path of the new file."""
        before = set(self.program_bmp_files())
        self.choose(*middle(picture), 1)
        new = wait_for(lambda: sorted(set(self.program_bmp_files()) - before), 15, what="the exported file")
        return new[0]

    def program_bmp_files(self):
        return glob.glob(os.path.join(self.program.folder, "*.bmp"))


class Interaction_Test(unittest.TestCase):
    def check_export(self, path, width, height):
        """The file is a 24-bit BMP of the picture's size, written whole."""
        self.assertRegex(os.path.basename(path), r"^-?\d+(-\d+)?\.bmp$")
        kind, got_width, got_height = identify(path)[:3]
        self.assertIn(kind, ("BMP", "BMP3"))
        self.assertEqual((int(got_width), int(got_height)), (width, height))
        with open(path, "rb") as file:
            header = file.read(54)
        # "BM", the pixels at 54, a 40-byte header, one plane of 24 bits, uncompressed.
        self.assertEqual(header[:2], b"BM")
        self.assertEqual(struct.unpack("<IIiiHHI", header[10:34]), (54, 40, width, height, 1, 24, 0))
        self.assertEqual(os.path.getsize(path), 54 + bmp_row_size(width) * height)

    def check_moved(self, program, picture, to_left, to_top):
        """The picture is painted at its new place and only background is left at the old one."""
        left, top, width, height = picture

        def moved(shot):
            return (all(is_grey(pixel) for pixel in area(shot, to_left, to_top, width, height))
                    and all(pixel == BLUE for pixel in area(shot, left, top, width, height)))
        program.screenshot_when(moved)

    def check_widened(self, program, picture, new_right):
        """The picture's rectangle reaches new_right: white beside the picture, background after it."""
        left, top, width, height = picture
        y = top + height // 2

        def widened(shot):
            return (all(shot.pixel(x, y) == WHITE for x in range(left + width + 2, new_right - 1))
                    and shot.pixel(new_right + 3, y) == BLUE)
        program.screenshot_when(widened)

    def work_with_the_pictures(self, program):
        """Everything a user does with the pictures, each checked on the screen
        or on disk. The exports made, by picture."""
        user = User(program)
        user.sweep()

        # A menu dismissed beside its items changes nothing and saves nothing.
        user.dismiss_menu(*middle(LAYER_2))
        self.assertEqual(user.program_bmp_files(), [])

        # Exports while the worker paints the same pictures.
        exports = {"connection 1": user.export(CONNECTION_1), "layer 0": user.export(LAYER_0)}
        self.check_export(exports["connection 1"], 100, 64)
        self.check_export(exports["layer 0"], 28, 28)

        # Layer 1 moved far down, through a zigzag.
        user.move_picture(LAYER_1, 400, 700, via=[(300, 300), (600, 200), (100, 800), (500, 720)])
        self.check_moved(program, LAYER_1, 400, 700)

        # Connection 1 widened by its right edge, then narrowed again a little.
        left, top, width, height = CONNECTION_1
        right = left + width
        user.drag((right - 1, top + height // 2), (right + 60, top + height // 2))
        user.drag((right + 60, top + height // 2), (right + 40, top + height // 2), steps=2)
        self.check_widened(program, CONNECTION_1, right + 40)

        # Connection 0 taken by its bottom edge and pulled down, then moved.
        left, top, width, height = CONNECTION_0
        user.drag((left + 300, top + height), (left + 300, top + height + 50))
        user.move_picture((left, top, width, height + 50), 200, 400)
        self.check_moved(program, (left, top, 600, height), 200, 400)

        # The moved picture still exports its own picture, at its own size.
        exports["connection 0"] = user.export((200, 400, width, height))
        self.check_export(exports["connection 0"], 784, 100)
        return exports

    def test_pictures_are_worked_with_while_the_worker_trains(self):
        # So many images per connection that training outlasts the test.
        files = {"settings.txt": settings_text(10, 10, 8, 8, 1, 1000000, 0.1), "trainingimages": IMAGES}
        with Program(binary_path(), files) as program:
            program.wait_for_title("training connection 0")
            first = self.images_trained(program)
            self.work_with_the_pictures(program)
            self.assertIn("training connection 0", program.title())
            wait_for(lambda: self.images_trained(program) > first, 10, what="training to go on")
            program.close()
            self.assertEqual(program.wait(10), 0)

    def test_pictures_are_worked_with_while_the_worker_dreams(self):
        files = {"settings.txt": settings_text(10, 10, 8, 8, 1, 30, 0.1), "trainingimages": IMAGES}
        with Program(binary_path(), files) as program:
            program.wait_for_title("dreaming", timeout=120)
            first = self.dream_cycles(program)
            exports = self.work_with_the_pictures(program)
            wait_for(lambda: self.dream_cycles(program) > first, 10, what="dreaming to go on")
            # A dreamt input layer is black and white; weights are grey levels.
            self.assertTrue(all(pixel in ((0, 0, 0), WHITE) for pixel in
                                area(read_picture_file(exports["layer 0"]), 0, 0, 28, 28)))
            self.assertTrue(all(map(is_grey, area(read_picture_file(exports["connection 1"]), 0, 0, 100, 64))))
            program.close()
            self.assertEqual(program.wait(10), 0)

    @staticmethod
    def images_trained(program):
        found = re.search(r"image (\d+) of", program.title())
        return int(found.group(1)) if found else -1

    @staticmethod
    def dream_cycles(program):
        found = re.search(r"cycle (\d+)", program.title())
        return int(found.group(1)) if found else -1


if __name__ == "__main__":
    unittest.main()

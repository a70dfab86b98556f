"""The complete program in a real X server: it trains and dreams on small
files, lays its five pictures out with their captions, exports a trained
picture, refuses settings it cannot run with, and ends promptly at any stage."""

import glob
import os
import subprocess
import tempfile
import time
import unittest

from layout import BLUE, CONNECTION_0_AT, ITEM_HEIGHT, pictures
from driver import (Program, binary_path, blob_image, idx_images, read_picture_file, settings_text, wait_for)

IMAGES = idx_images([blob_image(k) for k in range(30)])


def files(*settings):
    return {"settings.txt": settings_text(*settings), "trainingimages": IMAGES}


def is_blue(pixel):
    return pixel == BLUE


class Complete_Program_Test(unittest.TestCase):
    def test_the_five_pictures_stand_at_their_places_with_their_captions(self):
        # 10 × 10 and 8 × 8 hidden layers: connection 0 is 784 × 100, connection 1 is 100 × 64.
        places = pictures(10, 10, 8, 8)
        with Program(binary_path(), files(10, 10, 8, 8, 1, 30, 0.1)) as program:
            program.wait_for_title("dreaming")
            shot = program.screenshot()
            for name, (left, top, width, height) in places.items():
                picture = [shot.pixel(left + x, top + y) for x in range(width) for y in range(height)]
                self.assertFalse(any(map(is_blue, picture)), name + " is covered by its picture")
                # A caption stands just above: dark text in the 25 rows above the panel.
                text = [shot.pixel(left + x, top - 25 + y) for x in range(min(width, 60)) for y in range(25)]
                self.assertTrue(any(pixel[2] < 128 for pixel in text), name + " has a caption")
                self.assertTrue(is_blue(shot.pixel(left + width + 1, top + height + 1)), name + " ends at its size")

    def test_exporting_connection_0_after_training_gives_the_trained_weights(self):
        settings = (10, 10, 8, 8, 0, 30, 0.1)
        with Program(binary_path(), files(*settings)) as program:
            program.wait_for_title("dreaming")
            left, top = CONNECTION_0_AT
            program.move(left + 300, top + 40)
            program.click(3)
            program.move(left + 320, top + 40 + ITEM_HEIGHT + ITEM_HEIGHT // 2)
            program.click(1)
            exported = wait_for(lambda: glob.glob(os.path.join(program.folder, "*.bmp")), 10, what="the export")[0]
            with tempfile.TemporaryDirectory() as folder:
                for name, content in files(*settings).items():
                    with open(os.path.join(folder, name), "w" if isinstance(content, str) else "wb") as file:
                        file.write(content)
                expected_path = os.path.join(folder, "expected.bmp")
                subprocess.run([binary_path("train_headless"), expected_path], cwd=folder, check=True)
                with open(expected_path, "rb") as expected, open(exported, "rb") as actual:
                    self.assertEqual(actual.read(), expected.read())
            picture = read_picture_file(exported)
            self.assertEqual((picture.width, picture.height), (784, 100))
            program.close()
            self.assertEqual(program.wait(5), 0)

    def test_refused_settings_are_explained_once_and_the_window_stays_usable(self):
        with Program(binary_path(), files(10, 10, 3, 8, 1, 30, 0.1)) as program:
            main = program.main_window()
            wait_for(program.other_windows, 10, what="the message box")
            log = program.log_text()
            self.assertIn("width of layer 2", log)
            self.assertIn("is 3", log)
            self.assertIn("at least 4", log)
            self.assertEqual(log.count("message box"), 1)
            # The window still answers: a right-click on the background opens
            # nothing, and it still paints.
            program.move(600, 600, main)
            program.click(3)
            shot = program.screenshot(main)
            self.assertTrue(is_blue(shot.pixel(shot.width - 5, shot.height - 5)))
            self.assertIn("stopped", program.title())
            # Dismiss the box as a window manager would close it, then close the window.
            program.close(program.other_windows()[0])
            wait_for(lambda: not program.other_windows(), 5, what="the box to go")
            program.close()
            self.assertEqual(program.wait(5), 0)

    def close(self, program):
        program.close()
        self.assertEqual(program.wait(timeout=60), 0)

    def test_closing_while_training_with_redraw_ends_the_program(self):
        with Program(binary_path(), files(10, 10, 8, 8, 1, 1000000, 0.1)) as program:
            program.wait_for_title("training connection 0")
            self.close(program)

    def test_closing_while_training_without_redraw_ends_the_program(self):
        with Program(binary_path(), files(10, 10, 8, 8, 0, 100000000, 0.1)) as program:
            program.wait_for_title("training connection 0")
            self.close(program)

    def test_closing_while_dreaming_ends_the_program(self):
        with Program(binary_path(), files(10, 10, 8, 8, 1, 5, 0.1)) as program:
            program.wait_for_title("dreaming")
            self.close(program)

    def test_closing_while_a_large_network_is_being_built_ends_the_program(self):
        # 784 × 100000 weights: over a gigabyte to build.
        with Program(binary_path(), files(500, 200, 4, 1, 0, 10, 0.1)) as program:
            program.main_window()
            time.sleep(0.3)
            self.assertNotIn("training", program.title())
            self.close(program)


if __name__ == "__main__":
    unittest.main()

"""The real program in an X server: its window, its background, its ending."""

import os
import subprocess
import unittest

from layout import BLUE
from driver import Program, binary_path, blob_image, idx_images, settings_text

SMALL_RUN = {
    "settings.txt": settings_text(10, 10, 8, 8, 1, 20, 0.1),
    "trainingimages": idx_images([blob_image(k) for k in range(20)]),
}


class Main_Window_Test(unittest.TestCase):
    def test_client_area_is_blue_where_no_picture_stands(self):
        with Program(binary_path(), SMALL_RUN) as program:
            self.assertTrue(program.title().startswith("layerdream"))
            shot = program.screenshot()
            self.assertGreaterEqual(shot.width, 964)  # room for a 784-wide picture at x = 180
            # The pictures stand in the upper left; the rest is background.
            for x, y in [(shot.width - 2, shot.height - 2), (shot.width // 2, shot.height - 40), (5, 5),
                         (shot.width - 10, 40)]:
                self.assertEqual(shot.pixel(x, y), BLUE, "pixel (%d, %d)" % (x, y))

    def test_closing_the_window_ends_the_program_with_code_0(self):
        with Program(binary_path(), SMALL_RUN) as program:
            program.wait_for_title("dreaming")
            program.close()
            self.assertEqual(program.wait(timeout=60), 0)

    def test_a_missing_settings_file_shows_a_box_and_the_window_stays_usable(self):
        with Program(binary_path(), {}) as program:
            main = program.main_window()
            boxes = []

            def box_is_up():
                boxes[:] = program.other_windows()
                return boxes
            from driver import wait_for
            wait_for(box_is_up, 10, what="the message box")
            self.assertIn('message box "": Settings data not found', program.log_text())
            # The main window still paints its background while the box is up.
            shot = program.screenshot(main)
            self.assertEqual(shot.pixel(2, shot.height - 2), BLUE)
            # Closing the main window ends the program, box and all.
            program.close(main)
            self.assertEqual(program.wait(timeout=60), 0)

    def test_with_no_display_it_says_so_and_ends_at_once(self):
        # No display named, or one where no server listens: one line on
        # stderr that names it, a code that is not 0, and no window or worker
        # left running unseen.
        free = next(":%d" % n for n in range(900, 1000) if not os.path.exists("/tmp/.X11-unix/X%d" % n))
        for change, named in [({"DISPLAY": None, "WAYLAND_DISPLAY": None}, "DISPLAY is not set"),
                              ({"DISPLAY": free, "WAYLAND_DISPLAY": None}, "DISPLAY=%s " % free)]:
            environment = {name: value for name, value in os.environ.items()
                           if name not in change and name != "SDL_VIDEODRIVER"}
            environment.update({name: value for name, value in change.items() if value is not None})
            result = subprocess.run([binary_path()], env=environment, cwd=os.path.dirname(binary_path()),
                                    capture_output=True, text=True, timeout=60)
            self.assertNotEqual(result.returncode, 0, named)
            lines = result.stderr.splitlines()
            self.assertEqual(len(lines), 1, result.stderr)
            self.assertIn("no display could be opened", lines[0])
            self.assertIn(named, lines[0])
            self.assertEqual(result.stdout, "")


if __name__ == "__main__":
    unittest.main()

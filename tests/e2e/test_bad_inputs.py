"""The complete program on bad input files and in bad places: on every bad
settings file it either refuses with one message box and stops (the window
still usable) or runs to dreaming; on every bad image file it trains and
dreams; in a folder it cannot write, "Output Bitmap" leaves no file and no
partial file and the program goes on; in a current directory deeper than the
system opens paths by, it reads its files and saves its pictures there. In
every case it closes with exit code 0."""

import os
import re
import shutil
import stat
import struct
import tempfile
import unittest

from layout import ITEM_HEIGHT, LAYER_0_AT
from driver import Program, binary_path, blob_image, identify, idx_images, settings_text, wait_for

IMAGES = idx_images([blob_image(k) for k in range(12)])
LAYER_0_MIDDLE = (LAYER_0_AT[0] + 14, LAYER_0_AT[1] + 14)  # the input layer's 28 × 28 picture


def image_bytes(k):
    return bytes(blob_image(k))


def header(count):
    return struct.pack(">IIII", 0x803, count, 28, 28)


def launcher(folder, prepare, command=("$LAYERDREAM_BINARY",)):
    """A Python script in the folder that runs the preparing lines, then
    starts the command in place of itself (so the process is the program's)."""
    path = os.path.join(folder, "launch.py")
    with open(path, "w") as file:
        file.write("#!/usr/bin/python3\nimport os\n%s\ncommand = %r\n"
                   "command = [os.path.expandvars(word) for word in command]\n"
                   "os.execvp(command[0], command)\n" % (prepare, list(command)))
    os.chmod(path, 0o755)
    return path


class Bad_Inputs_Test(unittest.TestCase):
    def close_with_code_0(self, program):
        program.close()
        self.assertEqual(program.wait(10), 0, "the program's output:\n" + program.log_text())

    def export_layer_0(self, program):
        x, y = LAYER_0_MIDDLE
        program.move(x, y)
        program.click(3)
        program.move(x + 20, y + ITEM_HEIGHT + ITEM_HEIGHT // 2)
        program.click(1)

    def check_refused(self, files, message):
        with Program(binary_path(), files) as program:
            main = program.main_window()
            boxes = wait_for(program.other_windows, 20, what="the message box")
            self.assertEqual(len(boxes), 1)
            log = program.log_text()
            self.assertEqual(log.count("message box"), 1, log)
            self.assertIn(message, log)
            wait_for(lambda: "stopped" in program.title(), 10, what="the stopped title")
            # The box is dismissed; the worker has stopped and shows nothing more.
            program.close(boxes[0])
            wait_for(lambda: not program.other_windows(), 10, what="the box to go")
            program.move(600, 600, main)
            program.click(3)
            self.assertEqual(program.other_windows(), [])
            self.assertEqual(program.log_text().count("message box"), 1)
            self.close_with_code_0(program)

    def check_runs(self, files, until="dreaming"):
        with Program(binary_path(), files) as program:
            program.wait_for_title(until, timeout=120)
            self.assertEqual(program.other_windows(), [])
            self.assertNotIn("message box", program.log_text())
            self.close_with_code_0(program)

    def test_bad_settings_files_are_refused_with_one_message_or_run(self):
        refused = [
            ("empty", b"", "width of layer 1 is 0"),
            ("binary", b"\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x1c\xff\xfe", "width of layer 1 is 0"),
            ("not numbers", "ten ten eight eight yes many fast\n", "width of layer 1 is 0"),
            ("one word too narrow", "2\n", "width of layer 2, the top layer, is 2"),
            ("negative", "10 -10 8 8 1 5 0.1\n", "height of layer 1 is -10"),
            ("zero", "0 0 0 0 0 0 0\n", "width of layer 1 is 0"),
            ("huge", "99999999999 99999999999 4 1 1 5 0.1\n", "4611686014132420609"),
        ]
        for name, settings, message in refused:
            with self.subTest(name):
                self.check_refused({"settings.txt": settings, "trainingimages": IMAGES}, message)

        run = [
            ("one word", "5\n"),
            ("three words", "4 5 6\n"),
            ("binary after digits", b"6\x01\x02 4\xff 5\x80 2\0 1\x1b 3\x7f .5\xfe"),
            ("negative images, redraw and rate", "10 10 8 8 -1 -5 -0.5\n"),
            ("zero images and rate", "10 10 8 8 0 0 0\n"),
            ("rate not a number", "6 5 4 3 1 6 nan\n"),
            ("rate beyond a double", "6 5 4 3 1 6 1e999\n"),
            ("huge rate", "6 5 4 3 1 6 -1e308\n"),
        ]
        for name, settings in run:
            with self.subTest(name):
                self.check_runs({"settings.txt": settings, "trainingimages": IMAGES})
        with self.subTest("huge image count"):
            self.check_runs({"settings.txt": "6 5 4 3 1 99999999999 0.1\n", "trainingimages": IMAGES},
                            until="of 2147483647")

    def test_bad_image_files_train_and_dream(self):
        settings = settings_text(6, 5, 4, 3, 1, 8, 0.25)
        cases = [
            ("empty", b""),
            ("shorter than the header", header(3)[:10]),
            ("header alone", header(0)),
            ("cut inside an image", header(2) + image_bytes(1) + image_bytes(2)[:300]),
            ("much longer than needed", idx_images([blob_image(k) for k in range(200)])),
        ]
        for name, images in cases:
            with self.subTest(name):
                self.check_runs({"settings.txt": settings, "trainingimages": images})

    def test_missing_images_are_reported_and_the_program_goes_on(self):
        with Program(binary_path(), {"settings.txt": settings_text(6, 5, 4, 3, 1, 4, 0.25)}) as program:
            program.main_window()
            boxes = wait_for(program.other_windows, 20, what="the message box")
            self.assertIn('message box "": Training data not found', program.log_text())
            program.close(boxes[0])
            program.wait_for_title("dreaming", timeout=60)
            self.close_with_code_0(program)

    def test_export_into_a_folder_that_cannot_be_written_leaves_nothing_and_goes_on(self):
        # Root writes anywhere: the program then runs as nobody.
        command = ["$LAYERDREAM_BINARY"]
        if os.geteuid() == 0:
            if not shutil.which("setpriv"):
                self.skipTest("running as root without setpriv to run the program as another user")
            command = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] + command
        files = {"settings.txt": settings_text(6, 5, 4, 3, 1, 4, 0.25), "trainingimages": IMAGES}
        folder = tempfile.mkdtemp(prefix="layerdream-e2e-locked-")
        try:
            for name, content in files.items():
                with open(os.path.join(folder, name), "w" if isinstance(content, str) else "wb") as file:
                    file.write(content)
            # Readable and searchable by all, writable by none.
            script = launcher(folder, "os.chdir(%r)\nos.chmod('.', 0o555)" % folder, command)
            with Program(script) as program:
                program.wait_for_title("dreaming", timeout=60)
                cycles = int(re.search(r"cycle (\d+)", program.title()).group(1))
                for _ in range(2):
                    self.export_layer_0(program)
                # The worker keeps dreaming and the window keeps answering.
                wait_for(lambda: int(re.search(r"cycle (\d+)", program.title()).group(1)) > cycles + 2, 20,
                         what="more dreaming")
                program.move(*LAYER_0_MIDDLE)
                program.click(3)
                wait_for(lambda: program.screenshot().pixel(LAYER_0_MIDDLE[0] + 30, LAYER_0_MIDDLE[1] + 8)
                         != (0, 0, 255), 10, what="the menu to open")
                program.move(LAYER_0_MIDDLE[0] - 15, LAYER_0_MIDDLE[1] + 5)
                program.click(1)
                self.assertEqual(sorted(os.listdir(folder)), ["launch.py", "settings.txt", "trainingimages"])
                self.close_with_code_0(program)
        finally:
            os.chmod(folder, stat.S_IRWXU)
            shutil.rmtree(folder, ignore_errors=True)

    def test_a_current_directory_deeper_than_paths_may_be_is_read_and_written(self):
        files = {"settings.txt": settings_text(6, 5, 4, 3, 1, 4, 0.25), "trainingimages": IMAGES}
        # Nested folders, each entered by its own name (no path that long
        # can be opened by), then the files copied down.
        prepare = ("import shutil\nos.chdir(%r)\nfor _ in range(25):\n    os.mkdir(%r)\n    os.chdir(%r)\n"
                   "for name in ('settings.txt', 'trainingimages'):\n"
                   "    shutil.copyfile(os.path.join(%r, name), name)\n")
        folder = tempfile.mkdtemp(prefix="layerdream-e2e-deep-")
        try:
            for name, content in files.items():
                with open(os.path.join(folder, name), "w" if isinstance(content, str) else "wb") as file:
                    file.write(content)
            level = "d" * 200
            with Program(launcher(folder, prepare % (folder, level, level, folder))) as program:
                program.wait_for_title("dreaming", timeout=60)
                self.assertEqual(program.other_windows(), [])
                self.assertNotIn("message box", program.log_text())
                self.export_layer_0(program)
                saved = wait_for(lambda: self.deep_bmp_files(folder), 10, what="the exported file")
                self.close_with_code_0(program)
            self.assertEqual(len(saved), 1)
            copy = os.path.join(folder, "copy.bmp")
            with open(copy, "wb") as file:
                file.write(saved[0])
            kind, width, height = identify(copy)[:3]
            self.assertIn(kind, ("BMP", "BMP3"))
            self.assertEqual((width, height), ("28", "28"))
            self.assertEqual(len(saved[0]), 54 + 84 * 28)
        finally:
            shutil.rmtree(folder, ignore_errors=True)

    @staticmethod
    def deep_bmp_files(folder):
        """The contents of the BMP files anywhere below the folder, read through
        directory handles since their paths are too long to open by."""
        found = []
        for _, _, names, directory in os.fwalk(folder):
            for name in names:
                if name.endswith(".bmp"):
                    descriptor = os.open(name, os.O_RDONLY, dir_fd=directory)
                    with os.fdopen(descriptor, "rb") as file:
                        found.append(file.read())
        return found


if __name__ == "__main__":
    unittest.main()

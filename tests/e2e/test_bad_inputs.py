"""The complete program on bad input files and in a bad place. The bad input
files are the fuzz corpus, whose expected-outcomes.txt says what becomes of
each and which the unit test fuzz_regression_tests checks file by file; here
two of them go through the real program: a refused settings file gives one
message box and a stopped worker, the window still usable, and odd settings
with a cut image file train and dream. In a folder it cannot write, "Output
Bitmap" leaves no file and no partial file and the program goes on (the unit
test of that is skipped when run as root). In every case it closes with exit
code 0."""

import os
import re
import shutil
import stat
import tempfile
import unittest

from layout import ITEM_HEIGHT, LAYER_0_AT
from driver import Program, binary_path, blob_image, idx_images, settings_text, wait_for

IMAGES = idx_images([blob_image(k) for k in range(12)])
LAYER_0_MIDDLE = (LAYER_0_AT[0] + 14, LAYER_0_AT[1] + 14)  # the input layer's 28 × 28 picture
CORPUS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fuzz", "corpus")


def corpus_file(name):
    with open(os.path.join(CORPUS, name), "rb") as file:
        return file.read()


def expected_outcome(name):
    """The outcome ("refused" or "runs") and the text named, from the table."""
    with open(os.path.join(CORPUS, "expected-outcomes.txt")) as table:
        for line in table:
            fields = line.split(None, 2)
            if fields and fields[0] == name:
                return fields[1], fields[2].strip() if len(fields) > 2 else ""
    raise KeyError(name)


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

    def test_a_refused_settings_file_shows_its_one_message_and_the_window_stays_usable(self):
        files = {"settings.txt": corpus_file("settings/top-too-narrow"), "trainingimages": IMAGES}
        self.check_refused(files, expected_outcome("settings/top-too-narrow")[1])

    def test_odd_settings_and_a_cut_image_file_train_and_dream(self):
        files = {"settings.txt": corpus_file("settings/binary-after-digits"),
                 "trainingimages": corpus_file("images/cut-inside-second-image")}
        self.assertEqual(expected_outcome("settings/binary-after-digits"), ("runs", ""))
        self.check_runs(files)

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


if __name__ == "__main__":
    unittest.main()

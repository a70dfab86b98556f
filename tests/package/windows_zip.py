"""The Windows zip as a user meets it (scripts/test-package.sh runs this under
Xvfb where Wine can run the program).

  windows_zip.py ZIP DIGITS SETTINGS LICENSE

Unpacks the zip into a new empty folder and checks that it holds one folder
with layerdream.exe, the default settings, the digits, a README and the
licence (with Windows line ends, as Notepad wants them); then
starts layerdream.exe there under Wine, as a double-click does (in its own
folder), in a private Wine prefix: as unpacked, it must start training on
the digits; with redrawing during training switched off in its settings.txt,
it must go on to dream. (Wine draws the window slowly: redrawing after each
of the 4,000 training images of the defaults takes it many minutes.)
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from driver import Program, check, fail  # noqa: E402

TIMEOUT = float(os.environ.get("LAYERDREAM_WINE_TIMEOUT", "300"))
EXPECTED = ["LICENSE.txt", "README.txt", "layerdream.exe", "settings.txt", "trainingimages"]


def main(zip_path, digits, settings, licence):
    scratch = tempfile.mkdtemp(prefix="layerdream-zip-")
    prefix = os.path.join(scratch, "wine-prefix")
    wine = {"WINEPREFIX": prefix, "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml=", "WINEARCH": "win64"}
    try:
        unpacked = os.path.join(scratch, "unpacked")
        os.mkdir(unpacked)
        with zipfile.ZipFile(zip_path) as archive:
            archive.extractall(unpacked)
        tops = os.listdir(unpacked)
        check(len(tops) == 1 and os.path.isdir(os.path.join(unpacked, tops[0])),
              "the zip should hold one folder, not %s" % tops)
        folder = os.path.join(unpacked, tops[0])
        check(sorted(os.listdir(folder)) == EXPECTED, "the zip's folder holds %s, not %s"
              % (sorted(os.listdir(folder)), EXPECTED))
        with open(os.path.join(folder, "trainingimages"), "rb") as got, open(digits, "rb") as wanted:
            check(got.read() == wanted.read(), "trainingimages is not the 10,000 digits")
        with open(os.path.join(folder, "settings.txt")) as got, open(settings) as wanted:
            check(got.read().split() == wanted.read().split(), "settings.txt is not the default")
        with open(os.path.join(folder, "LICENSE.txt"), "rb") as got, open(licence, "rb") as wanted:
            check(got.read() == wanted.read().replace(b"\n", b"\r\n"), "LICENSE.txt is not %s with Windows line ends"
                  % licence)

        made = subprocess.run(["wine", "wineboot", "-i"], env={**os.environ, **wine}, capture_output=True, text=True,
                              timeout=300)
        check(made.returncode == 0, "wineboot could not make a prefix:\n" + made.stdout + made.stderr)

        # A double-click starts the program in its own folder.
        def run(until, what):
            started = time.monotonic()
            with Program(["sh", "-c", 'cd "$0" && exec wine layerdream.exe', folder], environment=wine) as program:
                try:
                    program.main_window(timeout=60)
                    program.wait_for_title(until, timeout=TIMEOUT)
                except TimeoutError as error:
                    fail("%s; the title was %r; its output:\n%s"
                         % (error, program.title() if program.window else "", program.log_text()))
                print("The unpacked Windows program, %s: %r after %.0f s under Wine"
                      % (what, until, time.monotonic() - started), flush=True)
                program.close()
                code = program.wait(30)
                check(code == 0, "the program ended with code %d" % code)

        run("training connection 0", "as unpacked")
        settings_path = os.path.join(folder, "settings.txt")
        with open(settings_path, "rb") as file:
            parts = re.split(rb"(\s+)", file.read())  # words and the space between them, kept as it is
        check(parts[2 * 4] == b"1", "the default settings.txt does not redraw during training")
        parts[2 * 4] = b"0"
        with open(settings_path, "wb") as file:
            file.write(b"".join(parts))
        run("dreaming", "without redrawing during training")
    finally:
        if os.path.isdir(prefix):
            subprocess.run(["wineserver", "-k"], env={**os.environ, **wine}, capture_output=True)
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    main(*sys.argv[1:])

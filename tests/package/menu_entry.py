"""The installed Debian package as a user meets it (scripts/test-package.sh
runs this under Xvfb once the package is installed).

  menu_entry.py DESKTOP_FILE DEFAULTS_FOLDER HOME

Starts the menu entry's command, as a desktop would, with HOME a new empty
folder: it must make HOME/layerdream with the installed default settings
and digits, run the program there, and reach dreaming. A second start, after
the user has put settings and images of their own there, must keep them and
run on them.
"""

import os
import shlex
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from driver import Program, blob_image, check, fail, idx_images, settings_text  # noqa: E402

# The installed defaults: a first run trains for about a minute; a slow or
# busy machine gets much longer.
FIRST_RUN_TIMEOUT = float(os.environ.get("LAYERDREAM_FIRST_RUN_TIMEOUT", "600"))


def menu_command(desktop_file):
    """The Exec line of the entry, split as the desktop entry rules say, with
    its field codes (%f, %u, ...) dropped: the entry opens no files."""
    with open(desktop_file) as file:
        lines = file.read().splitlines()
    group = None
    for line in lines:
        if line.startswith("["):
            group = line.strip()
        elif group == "[Desktop Entry]" and line.startswith("Exec="):
            words = shlex.split(line[len("Exec="):])
            return [word for word in words if not (len(word) == 2 and word[0] == "%")]
    raise SystemExit("no Exec line in " + desktop_file)


def read(path):
    with open(path, "rb") as file:
        return file.read()


def run_to_dreaming(command, home, timeout, check_at_start):
    """Starts the command as the menu does (not from the user's folder),
    calls check_at_start with the folder the program runs in once its window
    is there, and waits until the program dreams; returns the seconds that
    took."""
    started = time.monotonic()
    with Program(command, environment={"HOME": home}) as program:
        try:
            program.main_window(timeout=30)
            check_at_start(os.readlink("/proc/%d/cwd" % program.process.pid))
            program.wait_for_title("dreaming", timeout=timeout)
        except TimeoutError as error:
            fail("%s; the title was %r; its output:\n%s" % (error, program.title() if program.window else "",
                                                           program.log_text()))
        took = time.monotonic() - started
        program.close()
        code = program.wait(15)
        check(code == 0, "the program ended with code %d" % code)
    return took


def main(desktop_file, defaults, home):
    check(os.path.isdir(home) and not os.listdir(home), "HOME must be a new empty folder")
    command = menu_command(desktop_file)
    print("The menu entry runs: " + " ".join(command), flush=True)
    folder = os.path.join(home, "layerdream")

    # First start: the folder is made with the defaults, and the program runs there.
    def made_with_the_defaults(ran_in):
        check(ran_in == folder, "the program runs in %s, not in %s" % (ran_in, folder))
        for name in ("settings.txt", "trainingimages"):
            path = os.path.join(folder, name)
            check(os.path.isfile(path), "the first start left no %s in %s" % (name, folder))
            check(read(path) == read(os.path.join(defaults, name)), "%s is not the installed default" % path)
            check(os.access(path, os.W_OK), "the user cannot change " + path)
        check(sorted(os.listdir(folder)) == ["settings.txt", "trainingimages"],
              "the first start left other files: %s" % os.listdir(folder))
    took = run_to_dreaming(command, home, FIRST_RUN_TIMEOUT, made_with_the_defaults)
    print("First start: dreaming after %.0f s" % took, flush=True)

    # Second start, with the user's own small settings and images: they are
    # kept, and the program runs on them (a small network dreams in seconds).
    own = {"settings.txt": settings_text(10, 10, 8, 8, 0, 30, 0.1).encode(),
           "trainingimages": idx_images([blob_image(k) for k in range(30)])}
    for name, content in own.items():
        with open(os.path.join(folder, name), "wb") as file:
            file.write(content)

    def kept_the_users_files(ran_in):
        check(ran_in == folder, "the second start runs in %s, not in %s" % (ran_in, folder))
        for name, content in own.items():
            check(read(os.path.join(folder, name)) == content, "the second start replaced the user's " + name)
    took = run_to_dreaming(command, home, 60, kept_the_users_files)
    print("Second start, on the user's own files: dreaming after %.0f s" % took, flush=True)
    print("The menu entry works in a new home folder and keeps the user's files.", flush=True)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])

#!/usr/bin/env python3
"""Time to dreaming, end to end: the real program against the plain loops.

Runs the real program in an X server on 10,000 handwritten digits with
redrawing off (settings 20 25 20 25 0 10000 0.02) and measures the seconds
from its start to its first dreaming cycle (the window title says
"dreaming" once the first cycle is drawn). In the same run, and on the same
files, bench/plain_training trains the same network with the plain
reference rules. Prints both, their ratio and the load average before and
after.

    scripts/with-xvfb.sh /usr/bin/python3 bench/time_to_dreaming.py BUILD_DIR TRAININGIMAGES [RUNS]

BUILD_DIR holds layerdream and bench/plain_training (a Release build);
TRAININGIMAGES is the IDX file scripts/fetch-digits.sh makes (run/trainingimages
after scripts/run.sh). The program runs RUNS times (3 by default) and the
plain training once; the median program time is compared. LAYERDREAM_PROGRAM
names another program to time instead of BUILD_DIR/layerdream (a build of
an earlier commit, say). Python's Xlib (python3-xlib) reads the title.
"""

import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

SETTINGS = "20 25 20 25 0 10000 0.02\n"
POLL = 0.005  # seconds between looks at the window title


def load_average():
    with open("/proc/loadavg") as file:
        return " ".join(file.read().split()[:3])


def prepare_folder(images):
    folder = tempfile.mkdtemp(prefix="layerdream-dreaming-")
    with open(os.path.join(folder, "settings.txt"), "w") as file:
        file.write(SETTINGS)
    shutil.copyfile(images, os.path.join(folder, "trainingimages"))
    return folder


class Titles:
    """The titles of the top-level windows of one process, read with Xlib
    over one connection."""

    def __init__(self, pid):
        from Xlib import display
        self.pid = pid
        self.screen = display.Display()
        self.pid_atom = self.screen.intern_atom("_NET_WM_PID")
        self.name_atom = self.screen.intern_atom("_NET_WM_NAME")
        self.utf8 = self.screen.intern_atom("UTF8_STRING")

    def current(self):
        from Xlib import Xatom, error
        titles = []
        for window in self.screen.screen().root.query_tree().children:
            try:
                owner = window.get_full_property(self.pid_atom, Xatom.CARDINAL)
                if owner is None or owner.value[0] != self.pid:
                    continue
                name = window.get_full_property(self.name_atom, self.utf8)
                titles.append(name.value.decode("utf-8", "replace") if name else "")
            except error.XError:
                continue
        return titles

    def current_named(self, prefix):
        """The titles that start with prefix, of any process's windows (a
        program under Wine is not the process that was started)."""
        from Xlib import error
        titles = []
        for window in self.screen.screen().root.query_tree().children:
            try:
                name = window.get_full_property(self.name_atom, self.utf8)
                title = name.value.decode("utf-8", "replace") if name else ""
            except error.XError:
                continue
            if title.startswith(prefix):
                titles.append(title)
        return titles

    def close(self):
        self.screen.close()


def stop_program(process):
    """Asks the program to end as a user would (SDL turns SIGTERM into a
    quit: the program closes its window), and kills it after 30 s."""
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(timeout=30)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def time_program(program, folder, timeout=600):
    """Seconds from starting the program to a title that says dreaming."""
    log = open(os.path.join(folder, "program.log"), "w")
    start = time.monotonic()
    process = subprocess.Popen([program], cwd=folder, stdout=log, stderr=subprocess.STDOUT)
    titles = None
    try:
        while True:
            if process.poll() is not None:
                raise RuntimeError("the program ended before dreaming (exit code %d)" % process.returncode)
            if time.monotonic() - start > timeout:
                raise TimeoutError("no dreaming within %d s" % timeout)
            try:
                if titles is None:
                    titles = Titles(process.pid)
                if any("dreaming" in title for title in titles.current()):
                    return time.monotonic() - start
            except Exception:  # the X connection while the window is being made
                titles = None
            time.sleep(POLL)
    finally:
        if titles is not None:
            titles.close()
        stop_program(process)
        log.close()


def time_plain(plain, folder):
    start = time.monotonic()
    result = subprocess.run([plain], cwd=folder, capture_output=True, text=True, check=True)
    seconds = time.monotonic() - start
    return seconds, result.stdout.strip()


def main():
    if len(sys.argv) not in (3, 4):
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    build = os.path.abspath(sys.argv[1])
    images = os.path.abspath(sys.argv[2])
    runs = int(sys.argv[3]) if len(sys.argv) == 4 else 3
    program = os.environ.get("LAYERDREAM_PROGRAM") or os.path.join(build, "layerdream")
    plain = os.path.join(build, "bench", "plain_training")
    if "DISPLAY" not in os.environ:
        print("no DISPLAY: run it under scripts/with-xvfb.sh", file=sys.stderr)
        return 2
    folder = prepare_folder(images)
    try:
        print("settings: " + SETTINGS.strip())
        print("program: " + program)
        print("load average before: " + load_average())
        program_seconds = []
        for run in range(runs):
            seconds = time_program(program, folder)
            program_seconds.append(seconds)
            print("program, run %d: %.3f s to the first dreaming cycle" % (run + 1, seconds))
        plain_seconds, said = time_plain(plain, folder)
        print("plain loops: %.3f s (%s)" % (plain_seconds, said))
        median = statistics.median(program_seconds)
        print("load average after: " + load_average())
        print("time to dreaming: program %.3f s (median of %d), plain loops %.3f s, ratio %.2fx"
              % (median, runs, plain_seconds, plain_seconds / median))
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Start-up: from the program's start to its first training step.

Runs the real program in a fresh folder with the 10,000 digits and settings
of one image a connection, redrawing off (20 25 20 25 0 1 0.02: the
784-500-500 network), and times, over RUNS runs, the start to the title that
reports "image 1 of 1", which the worker sets right after its first
training step. With --phases each run goes under strace, which sees only
the files being opened (a filter in the kernel keeps it from slowing
anything else), and the table says when the font, settings.txt and
trainingimages were opened.

    scripts/with-xvfb.sh /usr/bin/python3 bench/start_up.py PROGRAM TRAININGIMAGES [RUNS] [--phases]

The title is read over one X connection every 2 ms, which is the
resolution of the figures. The load average is printed before and after.
"""

import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from time_to_dreaming import Titles, load_average  # noqa: E402

SETTINGS = "20\n25\n20\n25\n0\n1\n0.02\n"
OPENED = re.compile(r'^\d+\s+(\d+\.\d+) openat\(AT_FDCWD, "([^"]+)"')


def run_once(program, folder, phases):
    trace = os.path.join(folder, "opened.log")
    command = [program]
    if phases:
        command = ["strace", "--seccomp-bpf", "-f", "-ttt", "-e", "trace=openat", "-o", trace, program]
    started_wall = time.time()
    started = time.monotonic()
    process = subprocess.Popen(command, cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    titles = None
    try:
        while True:
            if process.poll() is not None:
                raise RuntimeError("the program ended (exit code %d)" % process.returncode)
            if time.monotonic() - started > 60:
                raise TimeoutError("no training step within 60 s")
            try:
                if titles is None:
                    titles = Titles(process.pid if not phases else None)
                current = titles.current() if not phases else titles.current_named("layerdream")
            except Exception:
                titles = None
                time.sleep(0.002)
                continue
            if any("image 1 of 1" in title or "dreaming" in title for title in current):
                first_step = time.monotonic() - started
                break
            time.sleep(0.002)
    finally:
        if titles is not None:
            titles.close()
        if phases:  # the program is strace's child: ending it ends strace
            subprocess.run(["pkill", "-TERM", "-P", str(process.pid)])
        else:
            process.terminate()
        process.wait()
    opened = {}
    if phases:
        with open(trace) as file:
            for line in file:
                found = OPENED.match(line)
                if found:
                    path = found.group(2)
                    name = ("font" if path.endswith(".ttf") else os.path.basename(path))
                    if name in ("font", "settings.txt", "trainingimages") and name not in opened:
                        opened[name] = float(found.group(1)) - started_wall
    return first_step, opened


def main():
    arguments = [a for a in sys.argv[1:] if a != "--phases"]
    phases = "--phases" in sys.argv
    if len(arguments) not in (2, 3):
        print(__doc__.strip().split("\n\n")[2], file=sys.stderr)
        return 2
    program, images = os.path.abspath(arguments[0]), os.path.abspath(arguments[1])
    runs = int(arguments[2]) if len(arguments) == 3 else 5
    folder = tempfile.mkdtemp(prefix="layerdream-start-")
    try:
        with open(os.path.join(folder, "settings.txt"), "w") as file:
            file.write(SETTINGS)
        shutil.copyfile(images, os.path.join(folder, "trainingimages"))
        print("program: %s\nload average before: %s" % (program, load_average()))
        times = []
        for run in range(runs):
            first_step, opened = run_once(program, folder, phases)
            times.append(first_step)
            said = ", ".join("%s opened at %.0f ms" % (name, 1000 * at) for name, at in opened.items())
            print("run %d: first training step at %.0f ms%s" % (run + 1, 1000 * first_step, "; " + said if said else ""))
        print("median %.0f ms, from %.0f to %.0f ms" % (1000 * statistics.median(times), 1000 * min(times),
                                                         1000 * max(times)))
        print("load average after: " + load_average())
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())

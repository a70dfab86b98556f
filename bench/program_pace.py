#!/usr/bin/env python3
"""The real program's pace as a user meets it, from its window title.

Starts the program in an X server in a fresh folder with the given settings
and a copy of the training images, and reads its title until it has dreamt
for a while. Prints the seconds from the start to the first dreaming cycle,
the training rate the title shows while it trains, and over the dreaming
measured: the cycles a second the title counts and the processor time the
program took, as a share of one core. The load average is printed before
and after.

    scripts/with-xvfb.sh /usr/bin/python3 bench/program_pace.py PROGRAM TRAININGIMAGES "SETTINGS" [DREAM_SECONDS]

PROGRAM is layerdream, or layerdream.exe, which runs under Wine in a
private prefix (made on first use in ~/.cache/layerdream-bench-wine).
SETTINGS are the seven numbers of settings.txt, for instance
"20 20 10 8 1 2000 0.02" (the default). DREAM_SECONDS is 10 by default.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from time_to_dreaming import Titles, load_average, stop_program  # noqa: E402

POLL = 0.01
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def processor_seconds(pids):
    """User and system time of the processes, in seconds."""
    total = 0
    for pid in pids:
        try:
            with open("/proc/%d/stat" % pid) as file:
                fields = file.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])
        except (OSError, IndexError, ValueError):
            continue
    return total / CLOCK_TICKS


def wine_environment():
    prefix = os.path.expanduser("~/.cache/layerdream-bench-wine")
    os.makedirs(prefix, exist_ok=True)
    environment = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all",
                       WINEDLLOVERRIDES="mscoree,mshtml=", WINEARCH="win64")
    if not os.path.exists(os.path.join(prefix, "system.reg")):
        subprocess.run(["wine", "wineboot", "-i"], env=environment, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return environment


def program_pids(process, windows):
    """The processes whose time counts: the program itself, or under Wine the
    process that runs the .exe (Wine's own servers are left out)."""
    if not windows:
        return [process.pid]
    found = subprocess.run(["pgrep", "-f", "layerdream.exe"], capture_output=True, text=True).stdout.split()
    return [int(pid) for pid in found if int(pid) != process.pid] or [process.pid]


def measure(program, folder, dream_seconds):
    windows = program.endswith(".exe")
    if windows:
        shutil.copy(program, folder)
        command, environment = ["wine", os.path.join(folder, os.path.basename(program))], wine_environment()
    else:
        command, environment = [program], os.environ
    log = open(os.path.join(folder, "program.log"), "w")
    start = time.monotonic()
    process = subprocess.Popen(command, cwd=folder, stdout=log, stderr=subprocess.STDOUT, env=environment)
    titles = None
    rates = []
    dreaming_at = None
    first = last = None
    try:
        while True:
            if process.poll() is not None:
                raise RuntimeError("the program ended (exit code %d)" % process.returncode)
            if time.monotonic() - start > 900:
                raise TimeoutError("no dreaming within 900 s")
            try:
                if titles is None:
                    titles = Titles(None) if windows else Titles(process.pid)
                current = titles.current_named("layerdream") if windows else titles.current()
            except Exception:
                titles = None
                time.sleep(POLL)
                continue
            now = time.monotonic()
            for title in current:
                rate = re.search(r"\((\d+) images/s\)", title)
                if rate and dreaming_at is None:
                    rates.append(int(rate.group(1)))
                cycle = re.search(r"dreaming: cycle (\d+)", title)
                if cycle:
                    if dreaming_at is None:
                        dreaming_at = now - start
                        pids = program_pids(process, windows)
                        first = (now, int(cycle.group(1)), processor_seconds(pids))
                    last = (now, int(cycle.group(1)))
            if first is not None and now - first[0] >= dream_seconds:
                used = processor_seconds(pids) - first[2]
                cycles = last[1] - first[1]
                return dreaming_at, rates, cycles / (last[0] - first[0]), used / (now - first[0])
            time.sleep(POLL)
    finally:
        if titles is not None:
            titles.close()
        if windows:
            subprocess.run(["wineserver", "-k"], env=environment, stderr=subprocess.DEVNULL)
        stop_program(process)
        log.close()


def main():
    if len(sys.argv) not in (4, 5):
        print(__doc__.strip().split("\n\n")[2], file=sys.stderr)
        return 2
    program = os.path.abspath(sys.argv[1])
    images = os.path.abspath(sys.argv[2])
    settings = sys.argv[3].split()
    dream_seconds = float(sys.argv[4]) if len(sys.argv) == 5 else 10.0
    if "DISPLAY" not in os.environ:
        print("no DISPLAY: run it under scripts/with-xvfb.sh", file=sys.stderr)
        return 2
    folder = tempfile.mkdtemp(prefix="layerdream-pace-")
    try:
        with open(os.path.join(folder, "settings.txt"), "w") as file:
            file.write("\n".join(settings) + "\n")
        shutil.copyfile(images, os.path.join(folder, "trainingimages"))
        print("program: %s\nsettings: %s\nload average before: %s" % (program, " ".join(settings), load_average()))
        dreaming_at, rates, cycle_rate, core_share = measure(program, folder, dream_seconds)
        rates.sort()
        print("first dreaming cycle after %.2f s" % dreaming_at)
        if rates:
            print("training images/s shown in the title: median %d (from %d to %d over %d readings)"
                  % (rates[len(rates) // 2], rates[0], rates[-1], len(rates)))
        print("dreaming over %.0f s: %.1f cycles/s, %.1f %% of one core" % (dream_seconds, cycle_rate, 100 * core_share))
        print("load average after: " + load_average())
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())

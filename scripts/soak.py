"""The soak run's driver (scripts/soak.sh starts it under Xvfb): the real
program trains, then dreams for the given minutes while the mouse moves,
clicks, right-clicks, drags, resizes, moves pictures and exports them at
random. At the end: the resident memory when dreaming began and at the end
(with a sample every minute), the exports and whether every one is a valid
BMP of its picture's size, and the exit code when the window is closed.
Exits non-zero if the memory grew more than allowed, an export is not a
valid BMP, or the program did not end cleanly."""

import argparse
import glob
import os
import random
import re
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from driver import Program, blob_image, idx_images, settings_text, xdotool  # noqa: E402

ITEM_HEIGHT = 17
CLIENT_WIDTH, CLIENT_HEIGHT = 1200, 900
# The menu's two colours (plain and under the pointer) as the screen shows
# them, its width in pixels, and the room it needs below and right of the click.
MENU_COLOURS = {(0, 0, 222), (255, 33, 1)}
MENU_WIDTH = 110
MENU_ROOM_X, MENU_ROOM_Y = MENU_WIDTH + 2, 2 * ITEM_HEIGHT + 2


def resident_kib(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError("no VmRSS for %d" % pid)


def title_number(program, pattern):
    found = re.search(pattern, program.title())
    return int(found.group(1)) if found else None


class Panel:
    """Where the driver has put a picture: it moves and resizes them itself, so
    it knows (up to overlaps) where each one stands."""

    def __init__(self, name, left, top, width, height):
        self.name, self.left, self.top = name, left, top
        self.right, self.bottom = left + width, top + height
        self.picture = (width, height)

    def middle(self):
        return (self.left + self.right) // 2, (self.top + self.bottom) // 2

    def inside(self, rng):
        return rng.randint(self.left, self.right), rng.randint(self.top, self.bottom)


class Soak:
    def __init__(self, program, rng, pause):
        self.program, self.rng, self.pause = program, rng, pause
        self.window = program.main_window()
        self.actions = {}
        self.exports = 0
        self.missed_menus = 0

    def panels_for(self, w1, h1, w2, h2):
        l1, l2 = w1 * h1, w2 * h2
        self.panels = [Panel("layer 0", 20, 180, 28, 28), Panel("layer 1", 20, 130, w1, h1),
                       Panel("layer 2", 20, 70, w2, h2), Panel("connection 0", 180, 180, 784, l1),
                       Panel("connection 1", 180, 70, l1, l2)]

    # ---------------------------------------------------------------- the mouse
    def move(self, x, y):
        xdotool("mousemove", "--window", self.window, max(0, min(CLIENT_WIDTH - 1, x)),
                max(0, min(CLIENT_HEIGHT - 1, y)))
        time.sleep(self.pause)

    def button(self, action, number):
        xdotool(action, number)
        time.sleep(self.pause)

    def menu(self, x, y, item):
        """Right-click at (x, y) and release the left button on an item (-1:
        beside the menu). True if the menu opened there (a click on no
        picture opens none; the left click then lands on whatever is there)."""
        self.move(x, y)
        self.button("click", 3)
        # Beyond the text of the item, inside its band.
        opened = self.program.screenshot().pixel(
            min(CLIENT_WIDTH - 1, x + MENU_WIDTH - 5),
            min(CLIENT_HEIGHT - 1, y + max(item, 0) * ITEM_HEIGHT + ITEM_HEIGHT // 2)) in MENU_COLOURS
        if item < 0:
            self.move(x - 10, y + 3)
        else:
            self.move(x + 20, y + item * ITEM_HEIGHT + ITEM_HEIGHT // 2)
        self.button("click", 1)
        return opened

    # ---------------------------------------------------------------- what a user does
    def random_point(self):
        return self.rng.randrange(CLIENT_WIDTH), self.rng.randrange(CLIENT_HEIGHT)

    def point_on_a_picture(self):
        """A point on some picture, found on the screen: its pixels are grey (the
        pictures, and the white of a panel larger than its picture), while the
        background, the menus and the captions' text are not."""
        shot = self.program.screenshot()
        for _ in range(2000):
            # Where the whole menu fits in the window.
            x = self.rng.randrange(shot.width - MENU_ROOM_X)
            y = self.rng.randrange(shot.height - MENU_ROOM_Y)
            red, green, blue = shot.pixel(x, y)
            if red == green == blue:
                return x, y
        return self.rng.choice(self.panels).middle()

    def wander(self):
        for _ in range(self.rng.randint(2, 6)):
            panel = self.rng.choice(self.panels)
            self.move(*(panel.inside(self.rng) if self.rng.random() < 0.7 else self.random_point()))

    def click(self):
        self.move(*self.random_point())
        self.button("click", self.rng.choice([1, 1, 3]))

    def dismiss_menu(self):
        self.menu(*self.point_on_a_picture(), -1)

    def export(self):
        # A grey point may be a caption's black text, which opens no menu.
        if self.menu(*self.point_on_a_picture(), 1):
            self.exports += 1
        else:
            self.missed_menus += 1

    def move_picture(self):
        panel = self.rng.choice(self.panels)
        x, y = panel.middle()
        self.menu(x, y, 0)
        grab_x, grab_y = x + 20 - panel.left, y + ITEM_HEIGHT // 2 - panel.top
        width, height = panel.right - panel.left, panel.bottom - panel.top
        left = self.rng.randint(0, max(0, CLIENT_WIDTH - width - 1))
        top = self.rng.randint(30, max(30, CLIENT_HEIGHT - height - 1))
        for _ in range(self.rng.randint(0, 4)):
            self.move(*self.random_point())
        self.move(left + grab_x, top + grab_y)
        self.button("click", 1)
        panel.left, panel.top, panel.right, panel.bottom = left, top, left + width, top + height

    def resize(self):
        panel = self.rng.choice(self.panels)
        if self.rng.random() < 0.5:
            y = (panel.top + panel.bottom) // 2
            new_right = max(panel.left + 4, min(CLIENT_WIDTH - 1, panel.right + self.rng.randint(-40, 60)))
            self.drag((panel.right, y), (new_right, y))
            panel.right = new_right
        else:
            x = (panel.left + panel.right) // 2
            new_bottom = max(panel.top + 4, min(CLIENT_HEIGHT - 1, panel.bottom + self.rng.randint(-40, 60)))
            self.drag((x, panel.bottom), (x, new_bottom))
            panel.bottom = new_bottom

    def random_drag(self):
        self.drag(self.random_point(), self.random_point())

    def drag(self, start, end):
        self.move(*start)
        self.button("mousedown", 1)
        steps = self.rng.randint(1, 4)
        for k in range(1, steps + 1):
            self.move(start[0] + (end[0] - start[0]) * k // steps, start[1] + (end[1] - start[1]) * k // steps)
        self.button("mouseup", 1)

    def one_action(self):
        name, action = self.rng.choices(
            [("wander", self.wander), ("click", self.click), ("dismiss menu", self.dismiss_menu),
             ("export", self.export), ("move picture", self.move_picture), ("resize", self.resize),
             ("drag", self.random_drag)],
            weights=[4, 3, 1, 2, 2, 2, 2])[0]
        action()
        self.actions[name] = self.actions.get(name, 0) + 1


def check_bmp(path):
    """None if the file is a whole, valid 24-bit BMP (ImageMagick reads it and
    its length agrees with its header), else what is wrong."""
    with open(path, "rb") as file:
        data = file.read()
    if len(data) < 54 or data[:2] != b"BM":
        return "no BMP header"
    offset, header_size, width, height, planes, bits = struct.unpack("<IIiiHH", data[10:30])
    if (offset, header_size, planes, bits) != (54, 40, 1, 24):
        return "header %r" % ((offset, header_size, planes, bits),)
    row = (width * 24 + 31) // 32 * 4
    if len(data) != 54 + row * abs(height):
        return "length %d for %d x %d" % (len(data), width, height)
    result = subprocess.run(["identify", "-define", "bmp:ignore-filesize=true", "-format", "%m %w %h", path],
                            capture_output=True, text=True)
    if result.returncode != 0 or result.stdout.split()[1:] != [str(width), str(abs(height))]:
        return "ImageMagick: %s %s" % (result.stdout.strip(), result.stderr.strip())
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("binary")
    parser.add_argument("--minutes", type=float, default=10)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--settings", default="20 20 10 10 1 300 0.1")
    parser.add_argument("--max-growth-mib", type=float, default=4)
    parser.add_argument("--pause", type=float, default=0.15)
    arguments = parser.parse_args()

    values = arguments.settings.split()
    w1, h1, w2, h2 = (int(value) for value in values[:4])
    files = {"settings.txt": settings_text(*values), "trainingimages": idx_images([blob_image(k) for k in range(400)])}
    rng = random.Random(arguments.seed)
    with Program(arguments.binary, files) as program:
        pid = program.process.pid
        print("soak: settings %s, training ..." % arguments.settings, flush=True)
        program.wait_for_title("dreaming", timeout=3600)
        soak = Soak(program, rng, arguments.pause)
        soak.panels_for(w1, h1, w2, h2)
        started = time.monotonic()
        first_cycle = title_number(program, r"cycle (\d+)")
        start_kib = resident_kib(pid)
        samples = [(0.0, start_kib)]
        print("soak: dreaming; resident memory %d KiB; working the mouse for %g minutes" %
              (start_kib, arguments.minutes), flush=True)
        next_sample = 60.0
        while time.monotonic() - started < arguments.minutes * 60:
            soak.one_action()
            if program.process.poll() is not None:
                raise SystemExit("soak: the program ended by itself (code %s):\n%s"
                                 % (program.process.returncode, program.log_text()))
            elapsed = time.monotonic() - started
            if elapsed >= next_sample:
                samples.append((elapsed, resident_kib(pid)))
                print("soak: %5.1f min  resident %d KiB" % (elapsed / 60, samples[-1][1]), flush=True)
                next_sample += 60.0
        end_kib = resident_kib(pid)
        samples.append((time.monotonic() - started, end_kib))
        last_cycle = title_number(program, r"cycle (\d+)")
        time.sleep(1)  # the last export is written
        files = sorted(glob.glob(os.path.join(program.folder, "*.bmp")))
        problems = {os.path.basename(path): check_bmp(path) for path in files}
        invalid = {name: problem for name, problem in problems.items() if problem}
        leftovers = glob.glob(os.path.join(program.folder, "*.partial"))
        program.close()
        code = program.wait(30)

        growth_mib = (end_kib - start_kib) / 1024.0
        print("\n==== soak summary")
        print("settings:              %s" % arguments.settings)
        print("dreamt for:            %.1f min, cycles %s to %s" % (samples[-1][0] / 60, first_cycle, last_cycle))
        print("mouse actions:         %d (%s)" % (sum(soak.actions.values()),
                                                  ", ".join("%s %d" % item for item in sorted(soak.actions.items()))))
        print("resident memory:       start %d KiB, end %d KiB, growth %+.2f MiB (largest sample %d KiB)"
              % (start_kib, end_kib, growth_mib, max(kib for _, kib in samples)))
        print("samples (min, KiB):    %s" % ", ".join("%.0f: %d" % (t / 60, kib) for t, kib in samples))
        print("exports:               %d chosen, %d files, %d valid BMP, %d partial files left"
              " (%d right-clicks on a caption opened no menu)"
              % (soak.exports, len(files), len(files) - len(invalid), len(leftovers), soak.missed_menus))
        for name, problem in invalid.items():
            print("  invalid: %s: %s" % (name, problem))
        print("exit code on closing:  %s" % code)

        failures = []
        if growth_mib > arguments.max_growth_mib:
            failures.append("memory grew %.2f MiB (at most %g allowed)" % (growth_mib, arguments.max_growth_mib))
        if invalid or leftovers:
            failures.append("%d invalid exports, %d partial files" % (len(invalid), len(leftovers)))
        if len(files) != soak.exports:
            failures.append("%d exports chosen but %d files written" % (soak.exports, len(files)))
        if code != 0:
            failures.append("exit code %s" % code)
        if failures:
            print("SOAK FAILED: " + "; ".join(failures))
            return 1
        print("soak passed")
        return 0


if __name__ == "__main__":
    sys.exit(main())

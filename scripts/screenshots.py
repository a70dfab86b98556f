"""Pictures of the real program at work, for the documentation
(scripts/screenshots.sh starts this under Xvfb).

  screenshots.py readme BINARY DIGITS SETTINGS_FILE FOLDER
      the window while it trains (halfway through connection 1) and while it
      dreams, as FOLDER/training.png and FOLDER/dreaming.png

  screenshots.py icon BINARY DIGITS SETTINGS_FILE FOLDER
      the program's icon: of sixty of its dreams (layer 0, 28 × 28 pixels),
      the one most like one of the digits it learnt from, on the window's
      blue, as FOLDER/layerdream-SIZE.png in six sizes, and the same six
      pictures in one Windows icon, FOLDER/layerdream.ico (as windows-icon)

  screenshots.py windows-icon FOLDER
      FOLDER/layerdream.ico again from the six FOLDER/layerdream-SIZE.png,
      without running the program

  screenshots.py compare BINARY DIGITS FOLDER "SETTINGS" ...
      for each set of seven settings: the seconds until it dreams, the window
      a few seconds after that, twelve of its dreams (layer 0) in a row, and
      how much its dreams look like handwritten digits (the mean, over 48
      dreams, of each one's likeness to the digit of the file most like it);
      prints a Markdown table of them
"""

import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from driver import Program, read_picture_file, settings_text, wait_for  # noqa: E402

# Where the worker puts each picture (left, top), and its size from the
# settings: a layer is one pixel per neuron, a connection one per weight,
# lower layer's neurons across and upper layer's down.
LAYER_0 = (20, 180)
PLACES = {"connection 0": (180, 180), "connection 1": (180, 70),
          "layer 0": LAYER_0, "layer 1": (20, 130), "layer 2": (20, 70)}
CLIENT = (1200, 900)
TRAINING = re.compile(r"training connection (\d+): image (\d+) of (\d+)")


def picture_sizes(settings):
    w1, h1, w2, h2 = (int(value) for value in settings[:4])
    u1, u2 = w1 * h1, w2 * h2
    return {"connection 0": (784, u1), "connection 1": (u1, u2),
            "layer 0": (28, 28), "layer 1": (w1, h1), "layer 2": (w2, h2)}


def overlaps(settings):
    """The pairs of pictures that cover one another, and the pictures that
    reach past the client area of 1200 × 900."""
    sizes = picture_sizes(settings)
    boxes = {name: (left, top, left + sizes[name][0], top + sizes[name][1]) for name, (left, top) in PLACES.items()}
    names = list(boxes)
    found = []
    for i, first in enumerate(names):
        for second in names[i + 1:]:
            a, b = boxes[first], boxes[second]
            if a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]:
                found.append(first + " and " + second)
    found += [name + " past the window" for name, box in boxes.items() if box[2] > CLIENT[0] or box[3] > CLIENT[1]]
    return found


def cpu_seconds(pid):
    """The processor time a process has used so far, user and system."""
    with open("/proc/%d/stat" % pid) as file:
        fields = file.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def shoot(program, path):
    subprocess.run(["import", "-window", str(program.main_window()), path], check=True)


def start(binary, digits, settings):
    with open(digits, "rb") as file:
        images = file.read()
    return Program(binary, {"settings.txt": settings_text(*settings), "trainingimages": images})


def training_position(program):
    found = TRAINING.search(program.title())
    return tuple(int(value) for value in found.groups()) if found else None


def readme(binary, digits, settings_file, folder):
    with open(settings_file) as file:
        settings = file.read().split()
    with start(binary, digits, settings) as program:
        def halfway_through_connection_1():
            position = training_position(program)
            return position is not None and position[0] == 1 and position[1] >= position[2] // 2
        wait_for(halfway_through_connection_1, 600, step=0.1, what="connection 1 half trained")
        shoot(program, os.path.join(folder, "training.png"))
        program.wait_for_title("dreaming", timeout=600)
        time.sleep(5)
        shoot(program, os.path.join(folder, "dreaming.png"))
        program.close()
        program.wait(10)


def bits(pixels):
    """28 × 28 black-and-white pixels, row by row, as the bits of one number."""
    number = 0
    for k, on in enumerate(pixels):
        if on:
            number |= 1 << k
    return number


def likeness(dream, digits):
    """How much a dream looks like a handwritten digit: the largest share of
    white pixels it has in common with one of the digits (white in either)."""
    return max(bin(dream & digit).count("1") / max(1, bin(dream | digit).count("1")) for digit in digits)


def trained_digits(digits, settings):
    """The digits a network of these settings trains on, black and white as
    the program sees them, as bits."""
    with open(digits, "rb") as file:
        data = file.read()
    return [bits(byte >= 128 for byte in data[16 + 784 * k:16 + 784 * (k + 1)])
            for k in range(min(int(settings[5]), (len(data) - 16) // 784))]


def dream_bits(frame):
    picture = read_picture_file(frame)
    return bits(picture.pixel(x, y)[0] > 128 for y in range(28) for x in range(28))


def capture_dreams(program, scratch, count, apart):
    """count dreams (layer 0), apart seconds from one another, as PNG files."""
    frames = []
    for k in range(count):
        frame = os.path.join(scratch, "dream%02d.png" % k)
        subprocess.run(["import", "-window", str(program.main_window()), "-crop", "28x28+%d+%d" % LAYER_0,
                        "+repage", frame], check=True)
        frames.append(frame)
        time.sleep(apart)
    return frames


def icon(binary, digits, settings_file, folder):
    with open(settings_file) as file:
        settings = file.read().split()
    trained = trained_digits(digits, settings)
    with start(binary, digits, settings) as program, tempfile.TemporaryDirectory() as scratch:
        program.wait_for_title("dreaming", timeout=600)
        time.sleep(2)
        frames = capture_dreams(program, scratch, 60, 0.25)
        program.close()
        program.wait(10)
        # The dream most like one of the digits it learnt from.
        best = max(frames, key=lambda frame: likeness(dream_bits(frame), trained))
        # The dream with two pixels of the window's blue around it: 32 × 32.
        base = os.path.join(scratch, "base.png")
        subprocess.run(["convert", best, "-bordercolor", "#0000ff", "-border", "2", base], check=True)
        for size in (16, 32, 48, 64, 128, 256):
            # Whole multiples of 32 keep every pixel square and sharp.
            scaling = ["-scale", "%d%%" % (size * 100 // 32)] if size % 32 == 0 else \
                      ["-filter", "box", "-resize", "%dx%d" % (size, size)]
            subprocess.run(["convert", base, *scaling, "-strip", "-define", "png:exclude-chunks=date,time",
                            os.path.join(folder, "layerdream-%d.png" % size)], check=True)
    windows_icon(folder)


ICON_SIZES = (16, 32, 48, 64, 128, 256)


def windows_icon(folder):
    """The six sizes of the icon in one .ico for layerdream.exe. Up to 128
    pixels as bitmaps, which every Windows reads (icotool stores them in as
    few bits a pixel as their colours need, so nothing is lost); 256 pixels
    as a PNG of 32-bit pixels, the form Windows reads at that size (a bitmap
    of it would take 256 KB)."""
    with tempfile.TemporaryDirectory() as scratch:
        large = os.path.join(scratch, "layerdream-256.png")
        subprocess.run(["convert", os.path.join(folder, "layerdream-256.png"), "-strip",
                        "-define", "png:exclude-chunks=date,time", "PNG32:" + large], check=True)
        subprocess.run(["icotool", "--create", "--output", os.path.join(folder, "layerdream.ico"),
                        *(os.path.join(folder, "layerdream-%d.png" % size) for size in ICON_SIZES if size < 256),
                        "--raw=" + large], check=True)


def compare(binary, digits, folder, candidates):
    rows = []
    for text in candidates:
        settings = text.split()
        name = "-".join(settings)
        # Every candidate's dreams are held against the same digits: all of
        # them, however many it trained on.
        reference = trained_digits(digits, settings[:5] + ["1000000"])
        started = time.monotonic()
        with start(binary, digits, settings) as program:
            program.wait_for_title("dreaming", timeout=900)
            dreaming_after = time.monotonic() - started
            cpu = cpu_seconds(program.process.pid)
            time.sleep(3)
            with tempfile.TemporaryDirectory() as scratch:
                window = os.path.join(scratch, "window.png")
                shoot(program, window)
                subprocess.run(["convert", window, "-resize", "50%", os.path.join(folder, name + "-window.png")],
                               check=True)
                # Dreams far enough apart to be different ones; twelve of them shown.
                frames = capture_dreams(program, scratch, 48, 0.1)
                subprocess.run(["convert", *frames[::4], "-bordercolor", "blue", "-border", "1", "+append",
                                "-scale", "300%", "+repage", os.path.join(folder, name + "-dreams.png")], check=True)
                like = sum(likeness(dream_bits(frame), reference) for frame in frames) / len(frames)
            program.close()
            program.wait(10)
        units = picture_sizes(settings)
        network = "784-%d-%d" % (units["connection 1"][0], units["connection 1"][1])
        covered = ", ".join(overlaps(settings)) or "none"
        rows.append("| `%s` | %s | %.1f s (%.1f s) | %.2f | %s | ![window](default-settings/%s-window.png) | "
                    "![dreams](default-settings/%s-dreams.png) |"
                    % (" ".join(settings), network, dreaming_after, cpu, like, covered, name, name))
        print(rows[-1], flush=True)
    print("\n| settings | network | dreams after (its processor time) | likeness to the digits | pictures covered "
          "| window | dreams |")
    print("|---|---|---|---|---|---|---|")
    print("\n".join(rows))


def main(arguments):
    # The program runs in a folder of its own: paths must not be relative.
    arguments = [os.path.abspath(a) if os.path.exists(a) else a for a in arguments]
    if len(arguments) == 5 and arguments[0] == "readme":
        readme(*arguments[1:])
    elif len(arguments) == 5 and arguments[0] == "icon":
        icon(*arguments[1:])
    elif len(arguments) == 2 and arguments[0] == "windows-icon":
        windows_icon(arguments[1])
    elif len(arguments) >= 5 and arguments[0] == "compare":
        compare(arguments[1], arguments[2], arguments[3], arguments[4:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])

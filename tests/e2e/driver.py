"""Drives a real program in an X server for end-to-end tests.

The program runs in a folder of its own. Its window is found with xdotool,
mouse input is injected with xdotool, the window is read back through
ImageMagick's screenshots, and it is closed as a window manager would close
it (WM_DELETE_WINDOW), so that it takes its ordinary way out.
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

# Injected events are spaced out: X delivers them, SDL queues them, and the
# program answers them on its own thread.
EVENT_PAUSE = 0.2


def fail(message):
    """Ends a scripted check (one run as a program, not by pytest) with the reason."""
    print("FAILED: " + message, flush=True)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)


def xdotool(*arguments, check=True):
    result = subprocess.run(["xdotool", *map(str, arguments)], capture_output=True, text=True)
    if check and result.returncode != 0:
        raise RuntimeError("xdotool %s failed: %s" % (" ".join(map(str, arguments)), result.stderr.strip()))
    return result.stdout.strip()


def wait_for(condition, timeout, step=0.05, what="condition"):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TimeoutError("timed out waiting for " + what)
        time.sleep(step)


def x_windows(pid):
    """(window, title) of the viewable top-level windows whose _NET_WM_PID is pid.

    Read with Xlib rather than xdotool, whose search gives up as a whole when
    a window it looks at goes away meanwhile (a message box closing, say)."""
    from Xlib import X, Xatom, display, error
    screen = display.Display()
    try:
        pid_atom = screen.intern_atom("_NET_WM_PID")
        name_atom = screen.intern_atom("_NET_WM_NAME")
        utf8 = screen.intern_atom("UTF8_STRING")
        found = []
        for window in screen.screen().root.query_tree().children:
            try:
                owner = window.get_full_property(pid_atom, Xatom.CARDINAL)
                if owner is None or owner.value[0] != pid:
                    continue
                if window.get_attributes().map_state != X.IsViewable:
                    continue
                name = window.get_full_property(name_atom, utf8)
                title = name.value.decode("utf-8", "replace") if name else (window.get_wm_name() or "")
                found.append((window.id, title))
            except error.XError:
                continue  # gone while we looked
        return sorted(found)
    finally:
        screen.close()


class Picture:
    """A screenshot: width × height pixels of (red, green, blue)."""

    def __init__(self, width, height, data):
        self.width = width
        self.height = height
        self.data = data

    def pixel(self, x, y):
        at = 3 * (y * self.width + x)
        return tuple(self.data[at:at + 3])

    def count(self, left, top, right, bottom, colour):
        """Pixels of the rectangle (right and bottom excluded) that have the colour."""
        return sum(1 for y in range(top, bottom) for x in range(left, right) if self.pixel(x, y) == colour)


def read_ppm(data):
    # P6 header: magic, width, height, maximum value, each followed by white space.
    fields = []
    at = 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at) + 1
            continue
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    at += 1
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError("not an 8-bit PPM picture")
    width, height = int(fields[1]), int(fields[2])
    return Picture(width, height, data[at:at + 3 * width * height])


# The program's BMP files say 0 where a file size may stand, as the format
# allows; ImageMagick is told not to hold that against them.
BMP_READING = ["-define", "bmp:ignore-filesize=true"]


def read_picture_file(path):
    """Any picture file ImageMagick reads, as a Picture."""
    return read_ppm(subprocess.run(["convert", *BMP_READING, path, "-depth", "8", "ppm:-"], capture_output=True,
                                   check=True).stdout)


def identify(path):
    """ImageMagick's view of a picture file: format, width, height, bits per channel, channels."""
    out = subprocess.run(["identify", *BMP_READING, "-format", "%m %w %h %[bit-depth] %[channels]", path],
                         capture_output=True, text=True, check=True).stdout.split()
    return out


class Program:
    """One run of a program in a folder of its own. The program is a path, or
    a command list (["wine", "layerdream.exe"]) whose first word is run."""

    def __init__(self, binary, files=None, title_prefix="layerdream", environment=None, arguments=()):
        self.folder = tempfile.mkdtemp(prefix="layerdream-e2e-")
        for name, content in (files or {}).items():
            mode = "wb" if isinstance(content, bytes) else "w"
            with open(os.path.join(self.folder, name), mode) as file:
                file.write(content)
        self.title_prefix = title_prefix
        self.log_path = os.path.join(self.folder, "program.log")
        env = dict(os.environ)
        env.update(environment or {})
        self.log = open(self.log_path, "w")
        command = ([binary] if isinstance(binary, (str, os.PathLike)) else list(binary)) + list(arguments)
        self.process = subprocess.Popen(command, cwd=self.folder, stdout=self.log, stderr=subprocess.STDOUT,
                                        env=env)
        self.window = None

    # ------------------------------------------------------------ windows
    def windows(self):
        """Visible top-level windows of the program, oldest first."""
        return [window for window, _ in x_windows(self.process.pid)]

    def title_of(self, window):
        for candidate, title in x_windows(self.process.pid):
            if candidate == window:
                return title
        return ""

    def main_window(self, timeout=15):
        if self.window is None:
            def find():
                # The program's first window is its main one; message boxes come later.
                mine = [window for window in self.windows() if self.title_of(window).startswith(self.title_prefix)]
                return min(mine) if mine else None
            self.window = wait_for(find, timeout, what="the main window")
            time.sleep(EVENT_PAUSE)
        return self.window

    def title(self):
        return self.title_of(self.main_window())

    def other_windows(self):
        main = self.main_window()
        return [window for window in self.windows() if window != main]

    def wait_for_title(self, text, timeout=30):
        return wait_for(lambda: text in self.title(), timeout, step=0.1, what="a title with " + repr(text))

    def log_text(self):
        self.log.flush()
        with open(self.log_path) as file:
            return file.read()

    # ------------------------------------------------------------ seeing
    def screenshot(self, window=None):
        window = window or self.main_window()
        data = subprocess.run(["import", "-window", str(window), "-depth", "8", "ppm:-"], capture_output=True, check=True).stdout
        return read_ppm(data)

    def screenshot_when(self, condition, timeout=10, window=None):
        """The first screenshot for which condition(picture) holds."""
        last = [None]

        def take():
            last[0] = self.screenshot(window)
            return condition(last[0])
        try:
            wait_for(take, timeout, step=0.2, what="the screen to show it")
        except TimeoutError:
            if last[0] is not None:
                path = os.path.join(self.folder, "last-screenshot.ppm")
                with open(path, "wb") as file:
                    file.write(b"P6 %d %d 255\n" % (last[0].width, last[0].height) + last[0].data)
            raise
        return last[0]

    # ------------------------------------------------------------ the mouse
    def move(self, x, y, window=None):
        xdotool("mousemove", "--window", window or self.main_window(), x, y)
        time.sleep(EVENT_PAUSE)

    def click(self, button=1):
        xdotool("click", button)
        time.sleep(EVENT_PAUSE)

    def press(self, button=1):
        xdotool("mousedown", button)
        time.sleep(EVENT_PAUSE)

    def release(self, button=1):
        xdotool("mouseup", button)
        time.sleep(EVENT_PAUSE)

    def key(self, name, window):
        xdotool("key", "--window", window, name)
        time.sleep(EVENT_PAUSE)

    # ------------------------------------------------------------ ending
    def close(self, window=None):
        """Asks the window to close, as a window manager's close button does."""
        from Xlib import X, display, protocol
        screen = display.Display()
        target = screen.create_resource_object("window", window or self.main_window())
        protocols = screen.intern_atom("WM_PROTOCOLS")
        delete = screen.intern_atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(window=target, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        target.send_event(event, event_mask=X.NoEventMask)
        screen.sync()  # a round trip: the server has taken the request before the connection goes
        screen.close()

    def wait(self, timeout=10):
        """The exit code, once the program has ended. If it does not end, the
        error says where its threads stand."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("the program did not end within %s s; its threads:\n%s\nits output:\n%s"
                                 % (timeout, self.stacks(), self.log_text()))

    def stacks(self):
        if not shutil.which("gdb"):
            return "(gdb is not installed)"
        result = subprocess.run(["gdb", "-p", str(self.process.pid), "-batch", "-ex", "thread apply all bt 30"],
                                capture_output=True, text=True, timeout=60)
        return "\n".join(line for line in result.stdout.splitlines() if line.startswith(("#", "Thread")))

    def finish(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.log.close()
        shutil.rmtree(self.folder, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *details):
        self.finish()


def idx_images(images):
    """An IDX image file of 28 × 28 images given as lists of 784 byte values."""
    header = struct.pack(">IIII", 0x803, len(images), 28, 28)
    return header + b"".join(bytes(image) for image in images)


def blob_image(k):
    """A white disc on black whose radius depends on k, as training images."""
    radius = 4 + k % 8
    return [255 if (r - 14) ** 2 + (c - 14) ** 2 < radius * radius else 0 for r in range(28) for c in range(28)]


def settings_text(*values):
    return "\n".join(str(value) for value in values) + "\n"


def binary_path(name="layerdream"):
    variable = {"layerdream": "LAYERDREAM_BINARY", "panel_demo": "PANEL_DEMO_BINARY",
                "train_headless": "TRAIN_HEADLESS_BINARY"}[name]
    path = os.environ.get(variable)
    if not path:
        raise SystemExit("set %s to the program under test" % variable)
    return path

"""The native Windows program (layerdream.exe, cross-built by
scripts/build-windows.sh) under Wine, beside this build's program on the same
files, in one X server.

Both programs go through the same walk: they train on a small run and dream;
connection 0's and connection 1's pictures are exported through their menus;
connection 1 is moved with "Move window", connection 0 widened by its right
edge, and the window made larger from outside. What the Windows program
shows is the system's own drawing (Wine's GDI), so the screenshots taken at
each step, at the same client coordinates, say where our platform layer
draws differently. Only the text may differ:
the two draw their system font with their own renderer, so captions and menu
items are compared by where their ink stands, not pixel by pixel.

Wine runs in a private prefix made afresh for each run of this test
(LAYERDREAM_WINE_PREFIX) and removed at the end. Without Wine the test says
so and ends with code 77, which CTest reports as skipped.
"""

import glob
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

from layout import BLUE, ITEM_HEIGHT, LAYER_1_AT, LAYER_2_AT, WHITE, pictures
from driver import Program, blob_image, idx_images, read_picture_file, settings_text, wait_for, xdotool

MENU_FILL = (0, 0, 222)
HIGHLIGHT = (255, 33, 1)

# 10 × 10 and 8 × 8 hidden layers, no redrawing while training, 30 images a connection.
SETTINGS = (10, 10, 8, 8, 0, 30, 0.1)
FILES = {"settings.txt": settings_text(*SETTINGS), "trainingimages": idx_images([blob_image(k) for k in range(30)])}
PICTURES = pictures(*SETTINGS[:4])
CONNECTION_0 = PICTURES["connection 0"]
CONNECTION_1 = PICTURES["connection 1"]
LAYER_PICTURES = [PICTURES["layer 0"], PICTURES["layer 1"], PICTURES["layer 2"]]  # change with every dreaming cycle
MENU_WIDTH = int(len("Output Bitmap") * 8.5)  # the longest item's characters × 8.5

# The walk's pointer positions.
MENU_0_AT = (480, 220)  # right-click on connection 0: its menu opens here
MENU_1_AT = (230, 100)  # right-click on connection 1
MOVE_GRAB = (250, 100 + ITEM_HEIGHT // 2)  # "Move window" chosen here: the panel keeps this offset to the pointer
MOVE_TO = (600, 500)
MOVED_LEFT, MOVED_TOP = MOVE_TO[0] - (MOVE_GRAB[0] - CONNECTION_1[0]), MOVE_TO[1] - (MOVE_GRAB[1] - CONNECTION_1[1])
RIGHT_EDGE = CONNECTION_0[0] + CONNECTION_0[2]
WIDENED_RIGHT = RIGHT_EDGE + 46
GROWN = (1300, 950)  # the window's client size after it is made larger from outside

SYSTEM_LIBRARIES = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll"}


def imported_libraries(path):
    """The names of the DLLs a PE32+ program imports, read from its import table."""
    with open(path, "rb") as file:
        data = file.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError(path + " is not a PE program")
    sections, optional_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    if struct.unpack_from("<H", data, optional)[0] != 0x20B:
        raise ValueError(path + " is not a 64-bit program")
    import_rva = struct.unpack_from("<I", data, optional + 112 + 8)[0]  # data directory 1
    table = [struct.unpack_from("<IIII", data, optional + optional_size + 40 * i + 8) for i in range(sections)]

    def offset(rva):
        for size, address, _raw_size, raw in table:
            if address <= rva < address + size:
                return raw + rva - address
        raise ValueError("address %#x lies in no section" % rva)
    names = []
    at = offset(import_rva)
    while True:
        name_rva = struct.unpack_from("<I", data, at + 12)[0]
        if name_rva == 0:
            return names
        start = offset(name_rva)
        names.append(data[start:data.index(b"\0", start)].decode("ascii"))
        at += 20


class Wine:
    """A private Wine prefix, made at the start and removed at the end."""

    def __init__(self, prefix):
        self.prefix = prefix
        self.environment = {"WINEPREFIX": prefix, "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml=",
                            "WINEARCH": "win64"}

    def run(self, *command, timeout=120):
        return subprocess.run(list(command), env={**os.environ, **self.environment}, capture_output=True,
                              text=True, timeout=timeout)

    def make(self):
        self.remove()
        os.makedirs(os.path.dirname(self.prefix), exist_ok=True)
        made = self.run("wine", "wineboot", "-i")
        if made.returncode != 0 or not os.path.isdir(os.path.join(self.prefix, "drive_c")):
            raise RuntimeError("wineboot could not make the prefix %s:\n%s" % (self.prefix, made.stdout + made.stderr))

    def remove(self):
        if os.path.isdir(self.prefix):
            self.run("wineserver", "-k")
            shutil.rmtree(self.prefix, ignore_errors=True)


def saved_pictures(program):
    return sorted(glob.glob(os.path.join(program.folder, "*.bmp")))


def choose(program, at, item):
    """Right-clicks at the point and chooses the item of the menu that opens there."""
    program.move(*at)
    program.click(3)
    program.move(at[0] + 20, at[1] + item * ITEM_HEIGHT + ITEM_HEIGHT // 2)
    program.click(1)


def new_picture(program, before):
    """The picture file saved since the files before were there: (width, height) and its bytes."""
    path = wait_for(lambda: sorted(set(saved_pictures(program)) - before), 10, what="the exported picture")[0]
    picture = read_picture_file(path)
    with open(path, "rb") as file:
        return (picture.width, picture.height), file.read()


def walk(program_path, wine=None):
    """Runs a program through the walk (under Wine when given one); what it
    showed and saved at each step."""
    seen = {"timings": {}, "exports": {}}
    started = time.monotonic()
    files = dict(FILES)
    command = [program_path]
    if wine is not None:
        # As a Windows user has it: the program in a folder with its two files.
        with open(program_path, "rb") as file:
            files["layerdream.exe"] = file.read()
        command = ["wine", "layerdream.exe"]
    with Program(command, files, environment=wine.environment if wine else None) as program:
        program.main_window(timeout=30)
        seen["timings"]["window"] = time.monotonic() - started
        program.wait_for_title("dreaming", timeout=60)
        seen["timings"]["dreaming"] = time.monotonic() - started
        seen["icons"] = window_icons(program.main_window())
        seen["title"] = program.title()
        seen["dreaming"] = program.screenshot()

        # Connection 0's menu with its second item under the pointer, then chosen.
        x, y = MENU_0_AT
        program.move(x, y)
        program.click(3)
        program.move(x + 20, y + ITEM_HEIGHT + ITEM_HEIGHT // 2)
        seen["menu"] = program.screenshot_when(lambda shot: shot.pixel(x + 2, y + ITEM_HEIGHT + 1) == HIGHLIGHT)
        before = set(saved_pictures(program))
        program.click(1)
        size, content = new_picture(program, before)
        seen["exports"][size] = content

        before = set(saved_pictures(program))
        choose(program, MENU_1_AT, 1)
        size, content = new_picture(program, before)
        seen["exports"][size] = content

        # "Move window" on connection 1, then a click where it is to stay.
        choose(program, MENU_1_AT, 0)
        program.move(400, 300)
        program.move(*MOVE_TO)
        program.click(1)
        program.move(700, 700)
        seen["moved"] = program.screenshot_when(
            lambda shot: shot.pixel(MOVED_LEFT, MOVED_TOP) != BLUE and shot.pixel(MOVED_LEFT - 1, MOVED_TOP) == BLUE
            and shot.pixel(CONNECTION_1[0] + 5, CONNECTION_1[1] + 5) == BLUE)

        # Connection 0 widened by its right edge, pressed 2 pixels inside it.
        middle = CONNECTION_0[1] + 50
        program.move(RIGHT_EDGE - 2, middle)
        program.press(1)
        program.move(RIGHT_EDGE + 20, middle)
        program.move(WIDENED_RIGHT, middle)
        program.release(1)
        program.move(700, 700)
        seen["widened"] = program.screenshot_when(
            lambda shot: shot.pixel(WIDENED_RIGHT - 1, middle) == WHITE and shot.pixel(WIDENED_RIGHT, middle) == BLUE)

        # The window made larger from outside, as a window manager does.
        xdotool("windowsize", program.main_window(), *GROWN)
        seen["grown"] = program.screenshot_when(
            lambda shot: (shot.width, shot.height) == GROWN and shot.pixel(GROWN[0] - 1, GROWN[1] - 1) == BLUE)
        seen["timings"]["walk"] = time.monotonic() - started

        closing = time.monotonic()
        program.close()
        seen["exit code"] = program.wait(15)
        seen["timings"]["closing"] = time.monotonic() - closing
        seen["log"] = program.log_text()
    return seen


def window_icons(window):
    """The pictures a window gives the desktop as its icon (_NET_WM_ICON), by
    size: rows of (red, green, blue)."""
    from Xlib import Xatom, display
    screen = display.Display()
    try:
        found = screen.create_resource_object("window", window).get_full_property(
            screen.intern_atom("_NET_WM_ICON"), Xatom.CARDINAL)
    finally:
        screen.close()
    values = list(found.value) if found is not None else []
    icons = {}
    while len(values) >= 2:
        width, height = values[0], values[1]
        pixels = values[2:2 + width * height]
        icons[(width, height)] = [((p >> 16) & 255, (p >> 8) & 255, p & 255) for p in pixels]
        values = values[2 + width * height:]
    return icons


# ---------------------------------------------------------------- reading screenshots

def ink_box(shot, box, background):
    """(left, top, right, bottom) of the pixels in the box that are not its background, or None."""
    left, top, right, bottom = box
    found = [(x, y) for y in range(top, bottom) for x in range(left, right) if shot.pixel(x, y) != background]
    if not found:
        return None
    xs = [x for x, _ in found]
    ys = [y for _, y in found]
    return min(xs), min(ys), max(xs), max(ys)


def caption_box(left, top):
    """The box a panel's caption is drawn in: 400 × 25 right above the panel."""
    return left, top - 25, left + 400, top


def differences(first, second, ignored):
    """Pixels of the common area, outside the ignored rectangles, whose
    colours differ: (x, y, first's colour, second's colour)."""
    width, height = min(first.width, second.width), min(first.height, second.height)
    found = []
    for y in range(height):
        # The row's stretches between the ignored rectangles, compared whole first.
        cuts = sorted((max(l, 0), min(r, width)) for l, t, r, b in ignored if t <= y < b and l < width)
        stretches, x = [], 0
        for l, r in cuts:
            if l > x:
                stretches.append((x, l))
            x = max(x, r)
        stretches.append((x, width))
        a, b = 3 * y * first.width, 3 * y * second.width
        for l, r in stretches:
            if first.data[a + 3 * l:a + 3 * r] == second.data[b + 3 * l:b + 3 * r]:
                continue
            found += [(x, y, first.pixel(x, y), second.pixel(x, y)) for x in range(l, r)
                      if first.pixel(x, y) != second.pixel(x, y)]
    return found


def text_places(panels):
    """The caption boxes of the panels: where the two fonts may differ."""
    return [caption_box(left, top) for left, top in panels]


PANEL_PLACES = [(CONNECTION_0[0], CONNECTION_0[1]), (CONNECTION_1[0], CONNECTION_1[1])] + \
               [(left, top) for left, top, _, _ in LAYER_PICTURES]
MOVED_PANEL_PLACES = PANEL_PLACES[:1] + [(MOVED_LEFT, MOVED_TOP)] + PANEL_PLACES[2:]
LAYER_AREAS = [(left, top, left + width, top + height) for left, top, width, height in LAYER_PICTURES]


class Windows_Program_Under_Wine_Test(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.exe = os.environ["LAYERDREAM_WINDOWS_BINARY"]
        if not os.path.isfile(cls.exe):
            raise AssertionError("%s is missing: scripts/build-windows.sh builds it" % cls.exe)
        cls.wine = Wine(os.environ["LAYERDREAM_WINE_PREFIX"])
        started = time.monotonic()
        cls.wine.make()
        cls.prefix_seconds = time.monotonic() - started
        try:
            cls.linux = walk(os.environ["LAYERDREAM_BINARY"])
            cls.windows = walk(cls.exe, cls.wine)
        finally:
            cls.wine.remove()
        print("\nprefix made in %.1f s; Linux: %s; Wine: %s" % (
            cls.prefix_seconds, ", ".join("%s %.1f s" % item for item in cls.linux["timings"].items()),
            ", ".join("%s %.1f s" % item for item in cls.windows["timings"].items())), file=sys.stderr)

    # ------------------------------------------------------------ the program itself

    def test_the_program_needs_only_libraries_every_windows_has(self):
        libraries = {name.lower() for name in imported_libraries(self.exe)}
        self.assertIn("user32.dll", libraries)
        self.assertIn("gdi32.dll", libraries)
        self.assertLessEqual(libraries, SYSTEM_LIBRARIES, "no runtime library may be needed beside the program")

    def test_its_window_dreams_and_closes_with_code_0(self):
        self.assertTrue(self.windows["title"].startswith("layerdream"), self.windows["title"])
        self.assertIn("dreaming", self.windows["title"])
        self.assertEqual(self.windows["exit code"], 0, self.windows["log"])
        self.assertEqual(self.linux["exit code"], 0, self.linux["log"])

    def test_its_window_shows_the_programs_own_icon(self):
        icons = self.windows["icons"]
        self.assertIn((32, 32), icons, "the window gives the desktop no 32 × 32 icon")
        png = read_picture_file(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "packaging",
                                             "icons", "layerdream-32.png"))
        expected = [png.pixel(x, y) for y in range(32) for x in range(32)]
        self.assertEqual(icons[(32, 32)], expected, "the window's icon is not the program's")

    def test_exports_of_both_connections_are_those_of_the_linux_build(self):
        sizes = [CONNECTION_0[2:], CONNECTION_1[2:]]
        self.assertEqual(sorted(self.windows["exports"]), sorted(sizes))
        self.assertEqual(sorted(self.linux["exports"]), sorted(sizes))
        for size in sizes:
            self.assertTrue(self.windows["exports"][size] == self.linux["exports"][size],
                            "connection %d's picture differs" % sizes.index(size))
        # And connection 0's is the one training gives without any window.
        folder = self.linux_folder_with_the_files()
        try:
            expected = os.path.join(folder, "expected.bmp")
            subprocess.run([os.environ["TRAIN_HEADLESS_BINARY"], expected], cwd=folder, check=True)
            with open(expected, "rb") as file:
                self.assertTrue(file.read() == self.windows["exports"][sizes[0]])
        finally:
            shutil.rmtree(folder, ignore_errors=True)

    @staticmethod
    def linux_folder_with_the_files():
        folder = tempfile.mkdtemp(prefix="layerdream-wine-")
        for name, content in FILES.items():
            with open(os.path.join(folder, name), "wb" if isinstance(content, bytes) else "w") as file:
                file.write(content)
        return folder

    # ------------------------------------------------------------ what the screen shows

    def test_the_client_area_is_blue_from_its_top_left_corner_with_room_for_the_pictures(self):
        for name, seen in (("Wine", self.windows), ("Linux", self.linux)):
            shot = seen["dreaming"]
            # The X window is the client area: no frame drawn into it.
            for x, y in [(0, 0), (shot.width - 1, shot.height - 1), (shot.width - 1, 0), (0, shot.height - 1),
                         (CONNECTION_0[0] + CONNECTION_0[2], CONNECTION_0[1] + CONNECTION_0[3])]:
                self.assertEqual(shot.pixel(x, y), BLUE, "%s: pixel (%d, %d)" % (name, x, y))
            self.assertGreater(shot.width, WIDENED_RIGHT + 10, name)
            self.assertGreater(shot.height, MOVED_TOP + CONNECTION_1[3] + 10, name)

    def assert_same_outside_text(self, step, text):
        found = differences(self.windows[step], self.linux[step], text + LAYER_AREAS)
        self.assertEqual(found[:10], [], "%s: %d pixels differ (x, y, Wine, Linux)" % (step, len(found)))

    def test_the_pictures_stand_at_the_same_places_as_on_linux(self):
        self.assert_same_outside_text("dreaming", text_places(PANEL_PLACES))

    def test_the_menu_opens_at_the_pointer_in_its_colours_as_on_linux(self):
        x, y = MENU_0_AT
        bands = [(x, y, x + MENU_WIDTH, y + ITEM_HEIGHT), (x, y + ITEM_HEIGHT, x + MENU_WIDTH, y + 2 * ITEM_HEIGHT)]
        self.assert_same_outside_text("menu", text_places(PANEL_PLACES) + bands)
        labels = {}
        for name, seen in (("Wine", self.windows), ("Linux", self.linux)):
            shot = seen["menu"]
            labels[name] = [ink_box(shot, band, fill) for band, fill in zip(bands, (MENU_FILL, HIGHLIGHT))]
            for band, fill in zip(bands, (MENU_FILL, HIGHLIGHT)):
                left, top, right, bottom = band
                self.assertGreater(shot.count(*band, fill), 0.6 * (right - left) * (bottom - top), name)
                # The label is black, drawn over the fill with nothing behind it.
                ink = [shot.pixel(px, py) for py in range(top, bottom) for px in range(left, right)
                       if shot.pixel(px, py) != fill]
                self.assertGreater(len(ink), 60, name)
                self.assertIn((0, 0, 0), ink, name)
                self.assertNotIn(WHITE, ink, name)
                ink_left, ink_top, _, ink_bottom = ink_box(shot, band, fill)
                self.assertLessEqual(ink_left - left, 2, name + ": the label starts at the band's left")
                self.assertLessEqual(ink_top - top, 4, name + ": the label hangs from the band's top")
                self.assertLess(ink_bottom, bottom - 1, name)
            # The menu ends where its width rule says: the picture beneath shows right of it.
            self.assertNotIn(shot.pixel(x + MENU_WIDTH, y + 5), (MENU_FILL, HIGHLIGHT), name)
            self.assertNotIn(shot.pixel(x + 5, y + 2 * ITEM_HEIGHT), (MENU_FILL, HIGHLIGHT), name)
        for wine, linux in zip(labels["Wine"], labels["Linux"]):
            self.assert_alike_ink(wine, linux, "menu label")

    def test_move_window_takes_the_picture_with_its_caption_as_on_linux(self):
        self.assert_same_outside_text("moved", text_places(MOVED_PANEL_PLACES))
        self.assertEqual(self.windows["moved"].pixel(CONNECTION_1[0] + 5, CONNECTION_1[1] + 5), BLUE)

    def test_dragging_the_right_edge_widens_the_panel_with_white_as_on_linux(self):
        self.assert_same_outside_text("widened", text_places(MOVED_PANEL_PLACES))
        shot = self.windows["widened"]
        _, top, _, height = CONNECTION_0
        self.assertEqual(shot.count(RIGHT_EDGE, top, WIDENED_RIGHT, top + height, WHITE),
                         (WIDENED_RIGHT - RIGHT_EDGE) * height)

    def test_a_window_made_larger_is_painted_to_its_new_edges_as_on_linux(self):
        self.assert_same_outside_text("grown", text_places(MOVED_PANEL_PLACES))
        shot = self.windows["grown"]
        self.assertEqual((shot.width, shot.height), GROWN)
        self.assertEqual(shot.count(GROWN[0] - 20, 0, GROWN[0], GROWN[1], BLUE), 20 * GROWN[1])
        self.assertEqual(shot.count(0, GROWN[1] - 20, GROWN[0], GROWN[1], BLUE), 20 * GROWN[0])

    def test_captions_stand_above_their_pictures_in_black_as_on_linux(self):
        # After the move the captions of layer 2, layer 1 and connection 1
        # stand clear of every other caption.
        for left, top in [LAYER_2_AT, LAYER_1_AT, (MOVED_LEFT, MOVED_TOP)]:
            box = caption_box(left, top)
            boxes = {}
            for name, seen in (("Wine", self.windows), ("Linux", self.linux)):
                shot = seen["moved"]
                boxes[name] = ink_box(shot, box, BLUE)
                self.assertIsNotNone(boxes[name], "%s: no caption above (%d, %d)" % (name, left, top))
                ink = [shot.pixel(x, y) for y in range(box[1], box[3]) for x in range(box[0], box[2])
                       if shot.pixel(x, y) != BLUE]
                # Black text blended into the blue: transparent, no white behind it.
                self.assertIn((0, 0, 0), ink, name)
                self.assertTrue(all(r == 0 and g == 0 for r, g, _ in ink), name)
                self.assertLess(boxes[name][2], box[2] - 2, "%s: the caption is cut off" % name)
            self.assert_alike_ink(boxes["Wine"], boxes["Linux"], "caption above (%d, %d)" % (left, top))

    def assert_alike_ink(self, wine, linux, what):
        """The same text in the two fonts: it starts at the same place, from
        the same height down to the same depth, and is about as long: ours is
        monospace at 7 pixels a character, the system font proportional, so a
        label of wide letters ("Move window") is up to a quarter longer there."""
        message = "%s: ink of Wine %s, Linux %s" % (what, wine, linux)
        self.assertLessEqual(abs(wine[0] - linux[0]), 1, message)
        self.assertLessEqual(abs(wine[1] - linux[1]), 2, message)
        self.assertLessEqual(abs(wine[3] - linux[3]), 1, message)
        self.assertLessEqual(abs(wine[2] - linux[2]), 0.25 * (wine[2] - wine[0]) + 2, message)


def main():
    if shutil.which("wine") is None:
        print("SKIPPED: wine is not installed (scripts/install-dependencies.sh windows installs it)")
        sys.exit(77)
    unittest.main()


if __name__ == "__main__":
    main()

"""The resources of layerdream.exe, read back from the built file with
wrestool (package icoutils); scripts/test.sh runs this after the Windows
cross build.

  check_resources.py EXE VERSION ICONS

Checks that the program carries
  - an icon group of the six sizes of the Linux icon, 16 to 256 pixels,
    whose every picture has the pixels of ICONS/layerdream-SIZE.png;
  - a version resource whose numbers and strings give VERSION (the
    project's, from CMakeLists.txt), named "layerdream", in the language
    that its translation table names, without which Explorer shows no names;
  - a manifest (resource 1 of type 24) that parses as XML, asks for the
    invoker's rights, names Windows Vista, 7, 8, 8.1 and 10/11, and leaves
    the program unaware of display scaling.
Prints every fault it finds and exits 1 if there is one.
"""

import os
import re
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

ICON_SIZES = [16, 32, 48, 64, 128, 256]
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Windows Vista",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}
RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 14, 16, 24

faults = []


def fault(message):
    faults.append(message)


def resources(exe):
    """(type, name) of each resource in the file, as wrestool lists them."""
    listing = subprocess.run(["wrestool", "--list", exe], capture_output=True, text=True, check=True).stdout
    found = set()
    for line in listing.splitlines():
        match = re.match(r"--type=(\d+) --name=(\S+)", line)
        if match:
            found.add((int(match.group(1)), match.group(2)))
    return found


def extract(exe, kind, name=None, raw=False):
    command = ["wrestool", "--extract", "--type=%d" % kind, exe]
    if name is not None:
        command.insert(2, "--name=%s" % name)
    if raw:
        command.insert(2, "--raw")
    return subprocess.run(command, capture_output=True, check=True).stdout


# ------------------------------------------------------------------ icon
def check_icon(exe, icons_folder):
    ico = extract(exe, RT_GROUP_ICON)  # wrestool writes the group as a .ico file
    _, kind, count = struct.unpack("<HHH", ico[:6]) if len(ico) >= 6 else (0, 0, 0)
    if kind != 1 or count == 0:
        fault("the icon group is no icon")
        return
    sizes = sorted((width or 256) for width, in struct.iter_unpack("<B15x", ico[6:6 + 16 * count]))
    if sizes != ICON_SIZES:
        fault("the icon's sizes are %s, not %s" % (sizes, ICON_SIZES))
        return
    # Its pictures are the Linux icon's: icotool turns each into a PNG, and
    # ImageMagick counts the pixels that differ.
    with tempfile.TemporaryDirectory() as scratch:
        path = os.path.join(scratch, "layerdream.ico")
        with open(path, "wb") as file:
            file.write(ico)
        subprocess.run(["icotool", "--extract", "--output", scratch, path], check=True)
        for size in ICON_SIZES:
            pictures = [name for name in os.listdir(scratch) if "_%dx%dx" % (size, size) in name]
            if len(pictures) != 1:
                fault("the icon has %d pictures of %d × %d, not one" % (len(pictures), size, size))
                continue
            picture = pictures[0]
            wanted = os.path.join(icons_folder, "layerdream-%d.png" % size)
            compared = subprocess.run(["compare", "-metric", "AE", os.path.join(scratch, picture), wanted, "null:"],
                                      capture_output=True, text=True)
            if compared.returncode != 0:
                fault("the icon's %d × %d picture is not %s (pixels that differ: %s)"
                      % (size, size, wanted, compared.stderr.strip()))


# ------------------------------------------------------------------ version
def version_blocks(data, offset=0, end=None):
    """The blocks of a version resource from offset to end: each is
    (key, value bytes, value type, children)."""
    end = len(data) if end is None else end
    blocks = []
    while offset + 6 <= end:
        length, value_length, value_type = struct.unpack("<HHH", data[offset:offset + 6])
        if length == 0:
            break
        key_end = offset + 6
        while data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[offset + 6:key_end].decode("utf-16-le")
        value_start = (key_end + 2 + 3) & ~3
        # A text value's length counts UTF-16 units, a binary one's bytes.
        value_end = value_start + value_length * (2 if value_type == 1 else 1)
        value = data[value_start:value_end]
        children = version_blocks(data, (value_end + 3) & ~3, offset + length)
        blocks.append((key, value, value_type, children))
        offset = (offset + length + 3) & ~3
    return blocks


def check_version(exe, version):
    numbers = [int(part) for part in version.split(".")] + [0]
    data = extract(exe, RT_VERSION, raw=True)
    blocks = version_blocks(data)
    if not blocks or blocks[0][0] != "VS_VERSION_INFO":
        fault("the version resource is no VS_VERSION_INFO")
        return
    _, fixed, _, children = blocks[0]
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack("<6I", fixed[:24])
    if signature != 0xFEEF04BD:
        fault("the version resource has no fixed part")
        return
    for what, high, low in (("file", file_ms, file_ls), ("product", product_ms, product_ls)):
        got = [high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF]
        if got != numbers[:4]:
            fault("the %s version is %s, not %s" % (what, ".".join(map(str, got)), ".".join(map(str, numbers[:4]))))

    tables = {}
    translations = []
    for key, _, _, grandchildren in children:
        if key == "StringFileInfo":
            for table, _, _, strings in grandchildren:
                tables[table.upper()] = {name: value.decode("utf-16-le").rstrip("\0") for name, value, _, _ in strings}
        elif key == "VarFileInfo":
            for name, value, _, _ in grandchildren:
                if name == "Translation":
                    translations += ["%04X%04X" % pair for pair in struct.iter_unpack("<HH", value)]
    if not tables:
        fault("the version resource has no strings")
        return
    shown = [tables[t] for t in translations if t in tables]
    if not shown:
        fault("no string table of the version resource (%s) is in its translations (%s): Explorer would show "
              "none of its names" % (", ".join(tables), ", ".join(translations) or "none"))
        return
    strings = shown[0]
    for name, wanted in (("FileVersion", version), ("ProductVersion", version), ("ProductName", "layerdream"),
                         ("OriginalFilename", "layerdream.exe")):
        if strings.get(name) != wanted:
            fault("the version resource's %s is %r, not %r" % (name, strings.get(name), wanted))
    if not strings.get("FileDescription"):
        fault("the version resource has no FileDescription")


# ------------------------------------------------------------------ manifest
def check_manifest(exe):
    text = extract(exe, RT_MANIFEST, name=1, raw=True)
    try:
        root = ElementTree.fromstring(text)
    except ElementTree.ParseError as error:
        # Windows refuses to start a program whose manifest does not parse.
        fault("the manifest is no well-formed XML: %s" % error)
        return
    if root.tag != "{urn:schemas-microsoft-com:asm.v1}assembly":
        fault("the manifest's root is %s, not an assembly" % root.tag)
    levels = [element.get("level") for element in root.iter()
              if element.tag.endswith("}requestedExecutionLevel")]
    if levels != ["asInvoker"]:
        fault("the manifest's requested execution levels are %s, not asInvoker" % levels)
    named = {element.get("Id", "").lower() for element in root.iter()
             if element.tag == "{urn:schemas-microsoft-com:compatibility.v1}supportedOS"}
    for guid, system in SUPPORTED_OS.items():
        if guid not in named:
            fault("the manifest does not name %s (supportedOS %s)" % (system, guid))
    for element in root.iter():
        name = element.tag.rsplit("}", 1)[-1]
        value = (element.text or "").strip().lower()
        if (name == "dpiAware" and value not in ("", "false")) or \
           (name == "dpiAwareness" and value not in ("", "unaware")):
            fault("the manifest makes the program aware of display scaling (%s %s)" % (name, element.text))


def main(exe, version, icons_folder):
    if not re.fullmatch(r"\d+\.\d+\.\d+", version):
        sys.exit("check_resources.py: %r is not a version of three numbers" % version)
    found = resources(exe)
    for kind, name, what in ((RT_GROUP_ICON, None, "icon"), (RT_VERSION, None, "version resource"),
                             (RT_MANIFEST, "1", "manifest (resource 1 of type 24)")):
        if not any(k == kind and (name is None or n == name) for k, n in found):
            fault("%s carries no %s" % (exe, what))
    if any(k == RT_GROUP_ICON for k, _ in found):
        check_icon(exe, icons_folder)
    if any(k == RT_VERSION for k, _ in found):
        check_version(exe, version)
    if (RT_MANIFEST, "1") in found:
        check_manifest(exe)
    if faults:
        for message in faults:
            print("FAILED: " + message, file=sys.stderr)
        sys.exit(1)
    print("%s carries its icon (%s pixels), version %s and manifest" % (os.path.basename(exe),
          ", ".join(map(str, ICON_SIZES)), version))


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])

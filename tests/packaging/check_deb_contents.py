#!/usr/bin/env python3
"""Checks what the unpacked Debian package holds: exactly the expected files, the icon theme's pictures at
the sizes their folders name with a transparent surround, a desktop entry whose command, icon and names
are there, and one version in the package, its changelog and its metainfo.

Usage: check_deb_contents.py SCRATCH   (as build_deb.py left it)
"""

import configparser
import glob
import gzip
import os
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
import zlib

APP_ID = "io.github.tolvane.Tolvane"
ICON_SIZES = (32, 48, 64, 128, 256)
EXPECTED_FILES = {
    "usr/bin/tolvane",
    f"usr/share/applications/{APP_ID}.desktop",
    f"usr/share/metainfo/{APP_ID}.metainfo.xml",
    "usr/share/man/man1/tolvane.1.gz",
    "usr/share/doc/tolvane/copyright",
    "usr/share/doc/tolvane/changelog.gz",
} | {f"usr/share/icons/hicolor/{size}x{size}/apps/tolvane.png" for size in ICON_SIZES}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def files_under(root):
    found = set()
    for folder, _, names in os.walk(root):
        for name in names:
            found.add(os.path.relpath(os.path.join(folder, name), root))
    return found


def read_png_rgba(path):
    """Width, height and rows of RGBA tuples of an 8-bit RGBA, non-interlaced PNG; None for other kinds."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    chunks, offset = {}, 8
    while offset < len(data):
        length, kind = struct.unpack(">I4s", data[offset:offset + 8])
        chunks.setdefault(kind, b"")
        chunks[kind] += data[offset + 8:offset + 8 + length]
        offset += 12 + length
    width, height, depth, colour_type, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
    if (depth, colour_type, interlace) != (8, 6, 0):
        return None
    raw, stride, rows, previous = zlib.decompress(chunks[b"IDAT"]), 4 * width, [], bytearray(4 * width)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - 4] if i >= 4 else 0
            up, up_left = previous[i], previous[i - 4] if i >= 4 else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                estimate = left + up - up_left
                nearest = min((abs(estimate - left), 0, left), (abs(estimate - up), 1, up),
                              (abs(estimate - up_left), 2, up_left))[2]
                line[i] = (line[i] + nearest) & 0xFF
        rows.append([tuple(line[x:x + 4]) for x in range(0, stride, 4)])
        previous = line
    return width, height, rows


def check_icons(root):
    for size in ICON_SIZES:
        path = os.path.join(root, f"usr/share/icons/hicolor/{size}x{size}/apps/tolvane.png")
        if not os.path.exists(path):
            continue
        picture = read_png_rgba(path)
        check(picture is not None, f"{size}x{size} icon: not an 8-bit RGBA PNG")
        if picture is None:
            continue
        width, height, rows = picture
        check((width, height) == (size, size), f"{size}x{size} icon is {width}x{height}")
        # A rounded square: its corners are see-through, its middle (the red cross) opaque.
        check(rows[0][0][3] == 0 and rows[-1][-1][3] == 0, f"{size}x{size} icon: corners not transparent")
        middle = rows[height // 2][width // 2]
        check(middle[3] == 255, f"{size}x{size} icon: middle not opaque: {middle}")


def check_desktop_entry(root):
    path = os.path.join(root, f"usr/share/applications/{APP_ID}.desktop")
    if not os.path.exists(path):
        return
    parser = configparser.RawConfigParser(interpolation=None)
    parser.optionxform = str  # keys are case-sensitive
    parser.read(path, encoding="utf-8")
    entry = parser["Desktop Entry"]
    check(entry.get("Name") == "Tolvane", f"Name is {entry.get('Name')!r}")
    check(re.search(r"[\u4e00-\u9fff]", entry.get("Name[zh_CN]", "")), "no Chinese Name[zh_CN]")
    command = entry.get("Exec", "").split()[0]
    check(os.path.isfile(os.path.join(root, "usr/bin", command)), f"Exec {command!r} is not in /usr/bin")
    icon = entry.get("Icon", "")
    check(os.path.exists(os.path.join(root, f"usr/share/icons/hicolor/32x32/apps/{icon}.png")),
          f"Icon {icon!r} is not in the hicolor theme")
    check(entry.get("StartupWMClass"), "no StartupWMClass")


def check_versions(root, package):
    version = subprocess.run(["dpkg-deb", "-f", package, "Version"], check=True, capture_output=True,
                             text=True).stdout.strip()
    with gzip.open(os.path.join(root, "usr/share/doc/tolvane/changelog.gz"), "rt", encoding="utf-8") as f:
        changelog = re.match(r"tolvane \(([^)]+)\)", f.readline())
    check(changelog and changelog.group(1) == version, f"changelog's latest entry is not version {version}")
    metainfo = ElementTree.parse(os.path.join(root, f"usr/share/metainfo/{APP_ID}.metainfo.xml")).getroot()
    releases = [release.get("version") for release in metainfo.iter("release")]
    check(releases[:1] == [version], f"metainfo's newest release is {releases[:1]}, the package {version}")
    launchable = metainfo.findtext("launchable")
    check(launchable == f"{APP_ID}.desktop", f"metainfo launches {launchable!r}")


def main(scratch):
    root = os.path.join(scratch, "root")
    found = files_under(root)
    check(found == EXPECTED_FILES,
          f"missing {sorted(EXPECTED_FILES - found)}, unexpected {sorted(found - EXPECTED_FILES)}")
    check_icons(root)
    check_desktop_entry(root)
    if not (EXPECTED_FILES - found):
        check_versions(root, glob.glob(os.path.join(scratch, "*.deb"))[0])
    for failure in failures:
        print("FAIL:", failure)
    print("contents checked:", "failed" if failures else "passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))

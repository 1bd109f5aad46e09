#!/usr/bin/env python3
"""Builds the zip of the Windows program with CPack from the Windows build into a scratch folder and
checks it: one folder holding tolvane.exe (a 64-bit Windows GUI program) and README.txt and LICENSE.txt
with Windows line ends, and nothing else.

Skips (exit status 77) when the Windows build has not been made, unless $CI is set: there it fails.

Usage: check_windows_zip.py CPACK WINDOWS_BUILD_DIR SCRATCH
"""

import glob
import os
import shutil
import struct
import subprocess
import sys
import zipfile

SKIPPED = 77
EXPECTED = {"tolvane.exe", "README.txt", "LICENSE.txt"}
IMAGE_FILE_MACHINE_AMD64 = 0x8664
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2


def pe_machine_and_subsystem(program):
    """The machine and subsystem fields of a PE file's headers; None when it is not one."""
    if program[:2] != b"MZ":
        return None
    header = struct.unpack_from("<I", program, 0x3C)[0]
    if program[header:header + 4] != b"PE\0\0":
        return None
    machine = struct.unpack_from("<H", program, header + 4)[0]
    optional_header = header + 24
    subsystem = struct.unpack_from("<H", program, optional_header + 68)[0]
    return machine, subsystem


def check_zip(path):
    failures = []
    with zipfile.ZipFile(path) as archive:
        names = [name for name in archive.namelist() if not name.endswith("/")]
        folders = {name.split("/")[0] for name in names}
        folder = os.path.splitext(os.path.basename(path))[0]
        if folders != {folder}:
            failures.append(f"expected everything in one folder {folder}/, found {sorted(folders)}")
        found = {name.split("/", 1)[-1] for name in names}
        if found != EXPECTED:
            failures.append(f"missing {sorted(EXPECTED - found)}, unexpected {sorted(found - EXPECTED)}")
        for name in names:
            content = archive.read(name)
            if name.endswith("tolvane.exe"):
                kind = pe_machine_and_subsystem(content)
                if kind != (IMAGE_FILE_MACHINE_AMD64, IMAGE_SUBSYSTEM_WINDOWS_GUI):
                    failures.append(f"tolvane.exe is not a 64-bit Windows GUI program: {kind}")
            elif name.endswith(".txt"):
                if content.count(b"\n") == 0 or content.count(b"\n") != content.count(b"\r\n"):
                    failures.append(f"{name} does not have Windows line ends throughout")
    return failures


def main(cpack, windows_build, scratch):
    config = os.path.join(windows_build, "CPackConfig.cmake")
    if not (os.path.exists(os.path.join(windows_build, "tolvane.exe")) and os.path.exists(config)):
        if os.environ.get("CI"):
            print(f"FAIL: no Windows build in {windows_build}")
            return 1
        print(f"SKIP: no Windows build in {windows_build}; `make build` makes it")
        return SKIPPED
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    subprocess.run([cpack, "-G", "ZIP", "--config", config, "-B", scratch], check=True)
    archives = glob.glob(os.path.join(scratch, "*.zip"))
    failures = check_zip(archives[0]) if len(archives) == 1 else [f"expected one zip, found {archives}"]
    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print("checked", os.path.basename(archives[0]))
        shutil.rmtree(scratch, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))

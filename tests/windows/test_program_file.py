#!/usr/bin/env python3
"""The program file itself, read with the MinGW-w64 binutils: it imports only DLLs that every Windows
has (no libwinpthread-1.dll, libstdc++ or libgcc DLL beside it), it asks for address space layout
randomisation with high entropy and for data execution prevention, and it carries its icon (one 32 by
32 image), one application manifest that declares per-monitor DPI awareness (system awareness where
Windows knows no other), and a version record of file and
product version 1.0.0.0, "1.00" in the text fields, with our name fields.

Usage: test_program_file.py WINDOWS_BUILD_DIR
"""

import os
import re
import shutil
import subprocess
import sys

SKIP = 77
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "ole32.dll", "oleaut32.dll", "oleacc.dll",
               "advapi32.dll", "shell32.dll", "windowscodecs.dll", "comctl32.dll", "msvcrt.dll", "ucrtbase.dll", "ntdll.dll"}
NAME_FIELDS = ["CompanyName", "FileDescription", "InternalName", "OriginalFilename", "ProductName"]


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def tool(name):
    return shutil.which("x86_64-w64-mingw32-" + name)


def headers(program):
    return subprocess.run([tool("objdump"), "-p", program], check=True, capture_output=True, text=True).stdout


# The PE header's DllCharacteristics bits that Windows' ASLR and DEP need.
HARDENING_BITS = {"HIGH_ENTROPY_VA": 0x20, "DYNAMIC_BASE": 0x40, "NX_COMPAT": 0x100}


def resources(program):
    return subprocess.run([tool("windres"), "-i", program, "-O", "rc"], check=True, capture_output=True,
                          text=True).stdout


def test(program):
    out = headers(program)
    characteristics = re.search(r"^DllCharacteristics\s+([0-9a-fA-F]+)", out, re.M)
    check(characteristics, "objdump shows no DllCharacteristics")
    missing = [name for name, bit in HARDENING_BITS.items() if not int(characteristics.group(1), 16) & bit]
    check(not missing, f"the program file lacks {', '.join(missing)}")

    dlls = re.findall(r"DLL Name:\s*(\S+)", out)
    check(dlls, "objdump found no imports")
    foreign = [dll for dll in dlls if dll.lower() not in SYSTEM_DLLS and not dll.lower().startswith("api-ms-win-")]
    check(not foreign, f"the program needs DLLs that Windows does not have: {', '.join(foreign)}")

    rc = resources(program)
    check(re.search(r"^\s*FILEVERSION 1, 0, 0, 0\s*$", rc, re.M), "no file version 1.0.0.0")
    check(re.search(r"^\s*PRODUCTVERSION 1, 0, 0, 0\s*$", rc, re.M), "no product version 1.0.0.0")
    for field in ("FileVersion", "ProductVersion"):
        check(re.search(rf'VALUE "{field}", "1\.00"', rc), f'{field} is not "1.00"')
    for field in NAME_FIELDS:
        check(re.search(rf'VALUE "{field}", "[^"]+"', rc), f"no {field} in the version record")

    groups = re.findall(r"/\* Type: group icon.*?END", rc, re.S)
    check(len(groups) == 1, f"{len(groups)} icon groups, not one")
    check("Has 1 elements" in groups[0] and '"\\040\\040' in groups[0], "the icon is not one 32 by 32 image")

    manifests = re.findall(r"^\d+ 24 /\* RT_MANIFEST \*/\nBEGIN\n(.*?)^END", rc, re.S | re.M)
    check(len(manifests) == 1, f"{len(manifests)} manifests, not one")
    manifest = manifests[0].replace('""', '"')
    check(re.search(r"<dpiAware[^>]*>true</dpiAware>", manifest), "the manifest does not declare DPI awareness")
    check(re.search(r"<dpiAwareness[^>]*>PerMonitorV2, PerMonitor</dpiAwareness>", manifest),
          "the manifest does not declare per-monitor DPI awareness")


def main():
    program = os.path.join(sys.argv[1], "tolvane.exe")
    reason = None
    if not os.path.exists(program):
        reason = f"{program} not built (cmake --preset windows && cmake --build --preset windows)"
    elif not tool("objdump") or not tool("windres"):
        reason = "the MinGW-w64 binutils are not installed (make deps)"
    if reason:
        print(("FAIL: " if os.environ.get("CI") else "SKIP: ") + reason)
        sys.exit(1 if os.environ.get("CI") else SKIP)
    try:
        test(program)
    except Failure as failure:
        print("FAIL:", failure)
        print("0 passed, 1 failed")
        sys.exit(1)
    print("1 passed, 0 failed")


if __name__ == "__main__":
    main()

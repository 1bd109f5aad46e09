#!/usr/bin/env python3
"""Checks the Windows Installer package with msitools' msiinfo and msidump, as `make package` does after
building it: the summary (64-bit, no elevation needed to start), the properties of a dual-purpose package,
the program file's version and language, the 64-bit components, the shortcut, the custom actions before
InstallValidate, the upgrade rows, and the embedded streams (the cabinet's files, the icon).

Skips (exit status 77) when the Windows build has no package, unless $CI is set: there it fails.

With the build's SOURCE_DATE_EPOCH file, also that the summary is dated with the build's time, not with
the time wixl ran.

Usage: check_windows_msi.py MSI_FILE [VERSION [SOURCE_DATE_EPOCH_FILE]]
"""

import glob
import os
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
ICON = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "tolvane.ico")


def rows(folder, name):
    """The rows of a table as msidump exports it (names, types, key line, then one row a line)."""
    with open(os.path.join(folder, name + ".idt"), encoding="utf-8", errors="replace") as f:
        lines = f.read().splitlines()
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:] if line]


def table(folder, name):
    return {row[next(iter(row))]: row for row in rows(folder, name)}


def check_package(msi, version, epoch_file=None):
    failures = []

    def expect(condition, message):
        if not condition:
            failures.append(message)

    summary = subprocess.run(["msiinfo", "suminfo", msi], capture_output=True, text=True, check=True).stdout
    expect("Template: x64;1033" in summary, "the package is not marked 64-bit (Template x64)")
    # Word count 10: compressed (2), and no elevation needed to start (8), for the per-user context.
    expect("Source: 10 " in summary, "the summary's word count is not 10 (compressed, no elevation)")

    with tempfile.TemporaryDirectory() as folder:
        # libmsi writes the summary's times in local time.
        subprocess.run(["msidump", "--directory", folder, "--tables", "--streams", os.path.abspath(msi)],
                       cwd=folder, check=True, capture_output=True, env=dict(os.environ, TZ="UTC"))
        if epoch_file:
            with open(epoch_file, encoding="ascii") as f:
                built = time.strftime("%Y/%m/%d %H:%M:%S", time.gmtime(int(f.read())))
            summary_times = {key: row["Value"] for key, row in table(folder, "_SummaryInformation").items()
                             if key in ("12", "13")}
            expect(summary_times == {"12": built, "13": built},
                   f"the summary's created and saved times are {summary_times}, not the build's {built}")
        properties = {key: row["Value"] for key, row in table(folder, "Property").items()}
        wanted = {"ALLUSERS": "2", "MSIINSTALLPERUSER": "1", "ProductVersion": version,
                  "ProductName": "0-10 Tolvane", "Manufacturer": "The Tolvane developers",
                  "ARPPRODUCTICON": "tolvane.ico", "ARPNOMODIFY": "1"}
        for name, value in wanted.items():
            expect(properties.get(name) == value, f"property {name} is {properties.get(name)!r}, not {value!r}")

        files = table(folder, "File")
        program = files.get("TolvaneExe", {})
        expect(program.get("FileName") == "tolvane.exe" and program.get("Version") == "1.0.0.0"
               and program.get("Language") == "2052", f"the program file's row: {program}")
        expect(set(row["FileName"] for row in files.values()) == {"tolvane.exe", "LICENSE.txt"},
               f"files: {sorted(row['FileName'] for row in files.values())}")
        for name, row in table(folder, "Component").items():
            expect(int(row["Attributes"]) & 256, f"component {name} is not 64-bit")
            expect(row["Directory_"] == "INSTALLDIR", f"component {name} is in {row['Directory_']}")
        expect(table(folder, "Directory")["INSTALLDIR"]["Directory_Parent"] == "ProgramFiles64Folder",
               "the program does not go to Program Files (64-bit)")

        shortcut = table(folder, "Shortcut").get("StartMenuShortcut", {})
        expect(shortcut.get("Name") == "0-10 Tolvane" and shortcut.get("Directory_") == "ProgramMenuFolder"
               and shortcut.get("Target") == "[#TolvaneExe]" and shortcut.get("Icon_") == "tolvane.ico",
               f"the Start menu shortcut: {shortcut}")

        sequence = {action: int(row["Sequence"]) for action, row in table(folder, "InstallExecuteSequence").items()}
        expect(sequence.get("CostFinalize", 0) < sequence.get("CheckProgramNotRunning", 0)
               < sequence.get("InstallValidate", 0) < sequence.get("RemoveExistingProducts", 0),
               "the running-program check is not between CostFinalize and the first change")
        upgrades = {(row["VersionMin"], row["VersionMax"], row["ActionProperty"]) for row in rows(folder, "Upgrade")}
        expect(upgrades == {("", version, "WIX_UPGRADE_DETECTED"), (version, "", "WIX_DOWNGRADE_DETECTED")},
               f"the Upgrade table: {upgrades}")

        streams = os.path.join(folder, "_Streams")
        with open(ICON, "rb") as ours:
            icon = ours.read()
        expect(any(open(path, "rb").read() == icon for path in glob.glob(os.path.join(streams, "Icon.*"))),
               "the package's icon is not resources/tolvane.ico")
        expect(os.path.exists(os.path.join(streams, "Binary.InstallerChecks")), "the custom action DLL is missing")
        cabinet = subprocess.run(["msiextract", "--list", msi], capture_output=True, text=True, check=True).stdout
        expect(sorted(line.rsplit("/", 1)[-1] for line in cabinet.split()) == ["LICENSE.txt", "tolvane.exe"],
               f"the cabinet holds {cabinet.split()}")
    return failures


def main(msi, version="1.0.0.0", epoch_file=None):
    if not os.path.exists(msi):
        if os.environ.get("CI"):
            print(f"FAIL: no package {msi}")
            return 1
        print(f"SKIP: no package {msi}; `make build` makes it")
        return SKIPPED
    failures = check_package(msi, version, epoch_file)
    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print("checked", os.path.basename(msi))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))

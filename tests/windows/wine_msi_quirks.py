#!/usr/bin/env python3
"""What Wine's Windows Installer does differently from Windows', shown on a package that is not ours.

A minimal package (one text file, a Start menu shortcut to it, an icon for its uninstall entry, the
dual-purpose properties ALLUSERS=2 and MSIINSTALLPERUSER=1), built with wixl like ours, is installed in
the session's prefix in the ways the installer test installs ours. Each finding names a Windows behaviour
this Wine lacks; the installer test expects Wine's behaviour instead only where this package shows it.
Run alone it makes a prefix of its own and prints the findings:

    tests/windows/wine_msi_quirks.py
"""

import os
import struct
import subprocess
import sys
import tempfile

WXS = """<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="6E2B8F0C-3C41-4C1B-9C53-0D1E5A7B9F21" Name="Quirk Probe" Language="1033" Version="1.0.0"
           Manufacturer="Probe" UpgradeCode="2C6D0B0E-8E0B-4E55-B2D8-7A1B3C4D5E6F">
    <Package InstallerVersion="500" Compressed="yes" InstallScope="perUser"/>
    <MediaTemplate EmbedCab="yes"/>
    <Property Id="ALLUSERS" Value="2"/>
    <Property Id="MSIINSTALLPERUSER" Value="1"/>
    <Property Id="ARPPRODUCTICON" Value="probe.ico"/>
    <Icon Id="probe.ico" SourceFile="probe.ico"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFiles64Folder">
        <Directory Id="INSTALLDIR" Name="QuirkProbe">
          <Component Id="Payload" Guid="0F7C2A41-5B6D-4E8F-9A0B-1C2D3E4F5A6B" Win64="yes">
            <File Id="PayloadTxt" Name="payload.txt" Source="payload.txt" KeyPath="yes">
              <Shortcut Id="ProbeShortcut" Directory="ProgramMenuFolder" Name="Quirk Probe" Target="[#PayloadTxt]"/>
            </File>
          </Component>
        </Directory>
      </Directory>
      <Directory Id="ProgramMenuFolder"/>
    </Directory>
    <Feature Id="Main" Level="1"><ComponentRef Id="Payload"/></Feature>
  </Product>
</Wix>
"""
PRODUCT = "{6E2B8F0C-3C41-4C1B-9C53-0D1E5A7B9F21}"
COMPONENT = "0F7C2A41-5B6D-4E8F-9A0B-1C2D3E4F5A6B"
UNINSTALL = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + PRODUCT

# Each quirk: what Windows does, which this Wine does not.
QUIRKS = {
    "dual_purpose_per_machine": "ALLUSERS=2 with MSIINSTALLPERUSER=1 installs per user; Wine installs per machine "
                                "(it sets ALLUSERS to 1 whatever MSIINSTALLPERUSER says)",
    "shortcuts_per_user": "a per-machine install puts shortcuts in the common Start menu; Wine puts them in the "
                          "user's",
    "uninstall_entry_per_machine": "a per-user install's uninstall entry is in HKEY_CURRENT_USER; Wine writes it "
                                   "to HKEY_LOCAL_MACHINE",
    "uninstall_entry_without_icon_or_size": "the uninstall entry has DisplayIcon (from ARPPRODUCTICON) and "
                                            "EstimatedSize; Wine writes neither (EstimatedSize 0)",
    "damaged_package_unexplained": "a damaged package ends with 1620 and says it could not be opened; Wine ends "
                                   "with 1627 and says nothing, in its log or on the screen",
    "failed_install_unexplained": "a folder that cannot be written ends the install with error 1310 or 1303 in "
                                  "the log; Wine logs no error",
    "failed_install_leaves_component_key": "a failed install is rolled back whole; Wine leaves the component's "
                                           "empty key in its installer data",
}


def packed_guid(guid):
    """A GUID as Windows Installer writes it into registry key names."""
    parts = guid.strip("{}").split("-")
    tail = parts[3] + parts[4]
    return "".join(p[::-1] for p in parts[:3]) + "".join(tail[i + 1] + tail[i] for i in range(0, len(tail), 2))


def component_key(guid):
    return ("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Components\\"
            + packed_guid(guid))


def tiny_icon():
    """A 1 x 1 icon, enough for the Icon table."""
    bitmap = struct.pack("<IiiHHIIiiII", 40, 1, 2, 1, 32, 0, 8, 0, 0, 0, 0) + b"\x00\x00\xff\xff" + b"\0" * 4
    return struct.pack("<HHHBBBBHHII", 0, 1, 1, 1, 1, 0, 0, 1, 32, len(bitmap), 22) + bitmap


def build_probe_package(folder):
    with open(os.path.join(folder, "probe.wxs"), "w") as f:
        f.write(WXS)
    with open(os.path.join(folder, "payload.txt"), "w") as f:
        f.write("not a program\r\n")
    with open(os.path.join(folder, "probe.ico"), "wb") as f:
        f.write(tiny_icon())
    subprocess.run(["wixl", "--arch", "x64", "-o", "probe.msi", "probe.wxs"], cwd=folder, check=True,
                   capture_output=True)
    return os.path.join(folder, "probe.msi")


def msiexec(session, *arguments, log):
    if os.path.exists(log):
        os.remove(log)
    return session.msiexec(*arguments, log=log)


def probe(session, locked_folder):
    """The quirks of the session's Wine, found with the probe package. locked_folder: a Windows path of an
    existing folder nothing can be written to. Leaves the prefix as it found it, but for what Wine leaves."""
    folder = tempfile.mkdtemp(dir=session.workdir)
    package = build_probe_package(folder)
    log = os.path.join(folder, "probe.log")
    found = set()

    _, text = msiexec(session, "/i", package, log=log)
    if "Property(S): ALLUSERS = 1" in text:
        found.add("dual_purpose_per_machine")
    else:
        msiexec(session, "/x", package, log=log)
        _, text = msiexec(session, "/i", package, "ALLUSERS=1", log=log)
    if "Property(S): ProgramMenuFolder = C:\\users\\" in text:
        found.add("shortcuts_per_user")
    entry = session.registry_values("HKLM\\" + UNINSTALL)
    if "DisplayIcon" not in entry or entry.get("EstimatedSize", "0x0") == "0x0":
        found.add("uninstall_entry_without_icon_or_size")
    msiexec(session, "/x", package, log=log)

    msiexec(session, "/i", package, "ALLUSERS=", log=log)
    if session.registry_values("HKLM\\" + UNINSTALL):
        found.add("uninstall_entry_per_machine")
    msiexec(session, "/x", package, "ALLUSERS=", log=log)

    damaged = os.path.join(folder, "damaged.msi")
    with open(package, "rb") as source, open(damaged, "wb") as target:
        target.write(source.read()[:os.path.getsize(package) // 2])
    status, text = msiexec(session, "/i", damaged, log=log)
    if status != 1620 & 0xFF and "could not be opened" not in text:
        found.add("damaged_package_unexplained")

    _, text = msiexec(session, "/i", package, f"INSTALLDIR={locked_folder}\\QuirkProbe", log=log)
    if "1310" not in text and "1303" not in text:
        found.add("failed_install_unexplained")
    if session.registry_values(component_key(COMPONENT), allow_missing=True) is not None:
        found.add("failed_install_leaves_component_key")
    return found


def main():
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    from test_installer import InstallerSession  # noqa: E402

    with InstallerSession(None) as session:
        with session.locked_folder() as locked:
            found = probe(session, locked)
    for quirk, text in QUIRKS.items():
        print(f"{'WINE DIFFERS' if quirk in found else 'as Windows '}  {quirk}: {text}")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""End to end under Wine: the Windows Installer package (build/windows/tolvane-<version>-windows-x86_64.msi)
installed, upgraded and removed with msiexec as a user and an administrator would, in a throwaway prefix.

One table of scenarios, each from a prefix without the program and back: the state of the prefix's files
and registry before it and after it must be the same (nothing added that stayed, nothing of anyone else's
removed). Where Wine's Windows Installer does not do what Windows' does, the scenario expects Wine's
behaviour only when wine_msi_quirks.py has shown the same on a minimal package that is not ours. The
signing scenarios take the zip and the package from packaging/windows/sign.py, as a signed `make package`
makes them, with a throwaway self-signed code-signing certificate (its key encrypted, the passphrase in a
file), and check the signatures with osslsigncode against that certificate.

Usage: test_installer.py WINDOWS_BUILD_DIR LAYOUT_TOOL ARTIFACTS_DIR
"""

import contextlib
import glob
import os
import pwd
import re
import shutil
import struct
import subprocess
import sys
import time
import zipfile

import wine_msi_quirks
from wine_session import Failure, WineSession, check, main

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
VERSION = "1.0.0.0"  # the program file's
OLD_VERSION = "0.9.0.0"  # a test-only build to upgrade from
NAME, PUBLISHER = "0-10 Tolvane", "The Tolvane developers"
RUNNING_MESSAGE = "0-10 Tolvane is running"
USER_EXIT, INSTALL_FAILURE, PACKAGE_INVALID = 1602, 1603, 1620
MSIEXEC_TIMEOUT_S = 120
DIALOG_TIMEOUT_S = 30
SIGNER = "/CN=Tolvane throwaway signer"
UNINSTALL = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
INSTALLED_FILES = {"tolvane.exe", "LICENSE.txt"}
# What Wine itself changes in a prefix while programs come and go: its display devices and network cards,
# the session's own settings, the installer's scratch files.
NOISE = ("HKEY_LOCAL_MACHINE\\Hardware\\", "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Class\\",
         "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\DeviceClasses\\",
         "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Video\\",
         "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\",
         "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\ServiceCurrent",
         "HKEY_CURRENT_USER\\Software\\Wine\\Temporary System Parameters\\", "windows/temp/", "/AppData/Local/Temp/",
         "Microsoft/Windows NT/CurrentVersion/NetworkCards")  # listed when a process first asks for them
# Empty keys and folders that Windows Installer keeps for all its packages, there on any Windows, and
# Windows' folder for programs installed per user.
INSTALLER_CONTAINERS = re.compile(
    r"^(HKEY_LOCAL_MACHINE\\Software\\Classes\\Installer(\\(Features|Products|UpgradeCodes))?"
    r"|HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\(UpgradeCodes|UserData"
    r"(\\S-1-5-[0-9-]+(\\(Components|Products))?)?)"
    r"|HKEY_CURRENT_USER\\Software\\Microsoft\\Installer(\\(Features|Products|UpgradeCodes))?"
    r"|windows/Installer|users/[^/]+/AppData/Roaming/Microsoft/Installer"
    # The per-user Program Files (FOLDERID_UserProgramFiles) that Windows gives programs installed per user.
    r"|users/[^/]+/AppData/Local/Programs)$")


class InstallerSession(WineSession):
    """A Wine session with what the installer's tests read: the registry, the prefix's state, msiexec's
    full exit status (a Unix exit status keeps only its low 8 bits: 1603 arrives as 67)."""

    def _make_prefix(self):
        super()._make_prefix()
        self.user = pwd.getpwuid(os.getuid()).pw_name
        self.drive_c = os.path.join(self.prefix, "drive_c")

    def unix_path(self, windows_path):
        check(windows_path[:3].upper() == "C:\\", f"{windows_path} is not on drive C:")
        return os.path.join(self.drive_c, *windows_path[3:].split("\\"))

    def msiexec(self, *arguments, log=None, quiet=True):
        log = log or os.path.join(self.workdir, "msiexec.log")
        command = ["msiexec", *arguments, "/l*v", log] + (["/qn"] if quiet else [])
        status, _, _ = self.wine_call(command, MSIEXEC_TIMEOUT_S)
        return status, read_log(log)

    def registry_values(self, key, allow_missing=False):
        """{name: data} of one key (64-bit view); None for a missing key when allow_missing."""
        status, out, err = self.wine_call(["reg", "query", key, "/reg:64"], 60)
        if status != 0:
            check(allow_missing, f"reg query {key}: {out.strip()} {err.strip()}")
            return None
        values = {}
        for line in out.splitlines():
            match = re.match(r"^    (.*?)    (REG_\w+)    ?(.*)$", line)
            if match:
                values[match.group(1)] = match.group(3)
        return values

    def subkeys(self, key):
        """The names of a key's subkeys (reg query names the key by its full root, HKEY_...)."""
        status, out, _ = self.wine_call(["reg", "query", key, "/reg:64"], 60)
        tail = key.split("\\", 1)[1].lower() + "\\"
        return [line.rsplit("\\", 1)[1] for line in out.splitlines()
                if status == 0 and line.split("\\", 1)[-1].lower().startswith(tail)]

    def snapshot(self):
        """The prefix's files and folders under C:, and its registry as regedit exports it."""
        state = set()
        for root, folders, files in os.walk(self.drive_c):
            for name in folders + files:
                state.add(os.path.relpath(os.path.join(root, name), self.drive_c))
        for hive in ("HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"):
            export = os.path.join(self.workdir, "export.reg")
            self.wine_run(["regedit", "/E", export, hive], 120)
            with open(export, encoding="utf-16") as f:
                key = None
                for line in f.read().replace("\\\n  ", "").splitlines():
                    if line.startswith("["):
                        key = line[1:-1]
                        state.add(key)
                    elif line.strip() and key:
                        state.add(key + " :: " + line)
        # Wine 10 exports the current control set under its own name, Wine 8 through CurrentControlSet.
        same_set = lambda entry: entry.replace("\\System\\ControlSet001\\", "\\System\\CurrentControlSet\\")
        return {entry for entry in state if not any(n in entry.replace("\\", "/") or same_set(entry).startswith(n)
                                                    for n in NOISE)}

    @contextlib.contextmanager
    def locked_folder(self):
        """C:\\locked, a folder that nothing can be written to, not even by root (the tests' user): the
        file system's immutable flag, which Wine reports as access denied, as Windows does for a folder
        whose permissions deny writing."""
        folder = os.path.join(self.drive_c, "locked")
        os.makedirs(folder)
        subprocess.run(["chattr", "+i", folder], check=True)
        try:
            yield "C:\\locked"
        finally:
            subprocess.run(["chattr", "-i", folder], check=True)
            os.rmdir(folder)


def read_log(path):
    """msiexec's log; empty where it wrote none (a package it could not open)."""
    try:
        with open(path, "rb") as f:
            return f.read().decode("utf-8", errors="replace")
    except FileNotFoundError:
        return ""


def read_shortcut(path):
    """Target, working folder and icon of a .lnk file (the Shell Link format: header, ID list, link info
    with the target's local path, then counted UTF-16 strings)."""
    with open(path, "rb") as f:
        data = f.read()
    flags, icon_index = struct.unpack_from("<I", data, 0x14)[0], struct.unpack_from("<i", data, 0x38)[0]
    position, fields = 0x4C, {"icon_index": icon_index}
    if flags & 0x1:
        position += 2 + struct.unpack_from("<H", data, position)[0]
    if flags & 0x2:
        base = position + struct.unpack_from("<I", data, position + 16)[0]
        fields["target"] = data[base:data.index(b"\0", base)].decode("mbcs" if os.name == "nt" else "latin-1")
        position += struct.unpack_from("<I", data, position)[0]
    for bit, name in ((0x4, "description"), (0x8, "relative_path"), (0x10, "working_dir"), (0x20, "arguments"),
                      (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, position)[0]
            fields[name] = data[position + 2:position + 2 + 2 * count].decode("utf-16-le").rstrip("\0")
            position += 2 + 2 * count
    return fields


class Scenarios:
    def __init__(self, session, build_dir, artifacts):
        self.session, self.build_dir, self.artifacts = session, build_dir, artifacts
        self.package = os.path.join(build_dir, f"tolvane-{VERSION}-windows-x86_64.msi")
        check(os.path.exists(self.package), f"{self.package} not built (make build)")
        self.old_package = os.path.join(session.workdir, f"tolvane-{OLD_VERSION}.msi")
        subprocess.run([sys.executable, os.path.join(SOURCE, "packaging", "windows", "build_msi.py"),
                        "--program", os.path.join(build_dir, "tolvane.exe"),
                        "--checks", os.path.join(build_dir, "installer_checks.dll"),
                        "--licence", os.path.join(build_dir, "packaging", "LICENSE.txt"),
                        "--icon", os.path.join(SOURCE, "resources", "tolvane.ico"),
                        "--file-version", VERSION, "--version", OLD_VERSION, "--out", self.old_package],
                       check=True)
        with session.locked_folder() as locked:
            self.quirks = wine_msi_quirks.probe(session, locked)
        for quirk in sorted(self.quirks):
            print(f"Wine differs from Windows here: {wine_msi_quirks.QUIRKS[quirk]}")
        user = "C:\\users\\" + session.user
        self.contexts = {
            "user": {"folder": user + "\\AppData\\Local\\Programs\\Tolvane",
                     "menu": user + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs",
                     "root": "HKLM" if "uninstall_entry_per_machine" in self.quirks else "HKCU",
                     # Windows installs per user by default; Wine needs the older way to ask for it.
                     "arguments": ["ALLUSERS="] if "dual_purpose_per_machine" in self.quirks else []},
            "machine": {"folder": "C:\\Program Files\\Tolvane",
                        "menu": (user + "\\AppData\\Roaming" if "shortcuts_per_user" in self.quirks
                                 else "C:\\ProgramData") + "\\Microsoft\\Windows\\Start Menu\\Programs",
                        "root": "HKLM", "arguments": ["ALLUSERS=1"]},
        }

    # What an installed build looks like.

    def entries(self):
        """The uninstall entries named "0-10 Tolvane", both roots: {(root, product code): values}."""
        found = {}
        for root in ("HKLM", "HKCU"):
            for product in self.session.subkeys(f"{root}\\{UNINSTALL}"):
                values = self.session.registry_values(f"{root}\\{UNINSTALL}\\{product}")
                if values.get("DisplayName") == NAME:
                    found[(root, product)] = values
        return found

    def check_installed(self, context, version=VERSION):
        session, where = self.session, self.contexts[context]
        folder = session.unix_path(where["folder"])
        check(os.path.isdir(folder) and set(os.listdir(folder)) == INSTALLED_FILES,
              f"{where['folder']} holds {sorted(os.listdir(folder)) if os.path.isdir(folder) else 'nothing'}, "
              f"not {sorted(INSTALLED_FILES)}")
        check(not os.path.exists(session.unix_path("C:\\Program Files (x86)\\Tolvane")),
              "installed under Program Files (x86)")
        shortcut = read_shortcut(os.path.join(session.unix_path(where["menu"]), NAME + ".lnk"))
        program = where["folder"] + "\\tolvane.exe"
        check(shortcut.get("target", "").lower() == program.lower(), f"the shortcut points at {shortcut}")
        check(shortcut.get("working_dir", "").rstrip("\\").lower() == where["folder"].lower(),
              f"the shortcut starts in {shortcut.get('working_dir')}")
        with open(session.unix_path(shortcut["icon"]), "rb") as icon, \
                open(os.path.join(SOURCE, "resources", "tolvane.ico"), "rb") as ours:
            check(icon.read() == ours.read() and shortcut["icon_index"] == 0,
                  f"the shortcut's icon {shortcut['icon']},{shortcut['icon_index']} is not the program's")

        entries = self.entries()
        check(len(entries) == 1, f"{len(entries)} uninstall entries: {sorted(entries)}")
        (root, product), values = next(iter(entries.items()))
        check(root == where["root"], f"the uninstall entry is under {root}, not {where['root']}")
        wanted = {"DisplayVersion": version, "Publisher": PUBLISHER, "InstallLocation": where["folder"] + "\\",
                  "WindowsInstaller": "0x1"}
        for name, value in wanted.items():
            check(values.get(name, "").lower() == value.lower(), f"the entry's {name} is {values.get(name)!r}")
        check(product.lower() in values.get("UninstallString", "").lower(), f"uninstall: {values}")
        if "uninstall_entry_without_icon_or_size" not in self.quirks:
            check(values.get("DisplayIcon", "").lower().endswith("tolvane.ico"), f"no icon: {values}")
            check(int(values.get("EstimatedSize", "0x0"), 16) > 0, f"no size: {values}")
        return program, product

    def start_from_shortcut(self, program, folder=None):
        """The installed program, started as the Start menu starts it: once its window is up."""
        self.session.move_pointer(200, 300)  # over where the window opens, so that it stays in view
        process = self.session.start([self.session.wine, program], name="installed",
                                     cwd=folder or self.session.unix_path(program.rsplit("\\", 1)[0]))
        window = self.session.find_window(NAME)
        return process, window

    def close(self, process, window):
        self.session.send_wm_delete(window)
        status = self.session.wait_exit(process, "its window was closed")
        check(status == 0, f"the installed program ended with {status}")

    def expect(self, what, arguments, status, message=None, **options):
        got, log = self.session.msiexec(*arguments, **options)
        check(got == status & 0xFF, f"{what}: msiexec ended with {got}, not {status} ({status & 0xFF})")
        check(message is None or re.search(message, log), f"{what}: the log does not say {message!r}")

    def install(self, context, package=None):
        self.expect(f"install per {context}", ["/i", package or self.package, *self.contexts[context]["arguments"]], 0)

    def uninstall(self, context, package=None):
        self.expect(f"uninstall per {context}", ["/x", package or self.package, *self.contexts[context]["arguments"]],
                    0)

    def remove_all(self):
        for process in self.session.processes:  # the program and an installer's dialog left open
            if process.poll() is None and process.args[0] == self.session.wine:
                process.kill()
                process.wait()
        for package in (self.package, self.old_package):
            for arguments in (["ALLUSERS="], ["ALLUSERS=1"]):
                self.session.msiexec("/x", package, *arguments)

    def signed_builds(self):
        """The signed zip's program and the signed package, made once, and the certificate they verify with."""
        folder = os.path.join(self.session.workdir, "signed")
        if not os.path.isdir(folder):
            os.makedirs(folder)
            cert, key, passphrase = (os.path.join(folder, name) for name in ("cert.pem", "key.pem", "passphrase"))
            with open(passphrase, "w") as f:
                f.write("throwaway\n")
            subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-days", "2", "-subj", SIGNER,
                            "-addext", "extendedKeyUsage=codeSigning", "-keyout", key, "-out", cert,
                            "-passout", "file:" + passphrase], check=True, capture_output=True)
            signing = {"SIGN_CERT": cert, "SIGN_KEY": key, "SIGN_PASS_FILE": passphrase}
            subprocess.run([sys.executable, os.path.join(SOURCE, "packaging", "windows", "sign.py"), "packages",
                            self.build_dir, folder], env=dict(os.environ, **signing), check=True)
            with zipfile.ZipFile(glob.glob(os.path.join(folder, "*.zip"))[0]) as archive:
                archive.extract(next(n for n in archive.namelist() if n.endswith("/tolvane.exe")), folder)
        return (glob.glob(os.path.join(folder, "*", "tolvane.exe"))[0],
                os.path.join(folder, os.path.basename(self.package)), os.path.join(folder, "cert.pem"))

    def verify(self, path):
        """osslsigncode's report on a file's signature, trusting the throwaway certificate alone; None if it fails."""
        result = subprocess.run(["osslsigncode", "verify", "-CAfile", self.signed_builds()[2], "-in", path],
                                capture_output=True, text=True, timeout=60)
        return result.stdout if result.returncode == 0 and SIGNER in result.stdout else None

    # The scenarios.

    def per_user(self):
        self.silent_install("user")

    def per_machine(self):
        self.silent_install("machine")

    def silent_install(self, context):
        self.install(context)
        program, _ = self.check_installed(context)
        process, window = self.start_from_shortcut(program)
        shot = os.path.join(self.artifacts, f"installed-per-{context}.png")
        subprocess.run(["import", "-window", str(window), shot], env=self.session.env, check=True, timeout=30)
        self.close(process, window)
        self.uninstall(context)

    def upgrade(self):
        self.install("machine", self.old_package)
        _, old_product = self.check_installed("machine", OLD_VERSION)
        program = os.path.join(self.session.unix_path(self.contexts["machine"]["folder"]), "tolvane.exe")
        # A second name for the older file, outside the prefix, keeps its inode in use: a file written in its
        # place cannot be given the same number by the file system, as it could once the older one is gone.
        old_file = os.path.join(self.session.workdir, "older-tolvane.exe")
        os.link(program, old_file)
        self.install("machine")
        _, product = self.check_installed("machine", VERSION)
        check(product != old_product, "the upgrade kept the older product code")
        check(not os.path.samefile(program, old_file), "the program file is the older build's")
        os.remove(old_file)
        self.uninstall("machine")

    def while_running(self):
        """Installing over a running program, and removing it: silently refused with an error status and
        the reason in the log; with the installer's dialogs, a message that offers Retry, which goes on
        once the program is closed. The installed build stays as it was until then."""
        self.install("user", self.old_package)
        program, _ = self.check_installed("user", OLD_VERSION)
        process, window = self.start_from_shortcut(program)
        arguments = self.contexts["user"]["arguments"]
        self.expect("upgrade while running", ["/i", self.package, *arguments], INSTALL_FAILURE, RUNNING_MESSAGE)
        self.check_installed("user", OLD_VERSION)
        self.expect("uninstall while running", ["/x", self.old_package, *arguments], INSTALL_FAILURE,
                    RUNNING_MESSAGE)
        self.check_installed("user", OLD_VERSION)

        before = self.visible_windows()
        command = [self.session.wine, "msiexec", "/x", self.old_package, *arguments]
        remover = self.session.start(command, name="interactive")
        dialog = self.wait_for_dialog(before)
        subprocess.run(["import", "-window", "root", os.path.join(self.artifacts, "installer-while-running.png")],
                       env=self.session.env, check=True, timeout=30)
        self.close(process, window)
        self.session.run("xdotool", "windowfocus", "--sync", dialog, "key", "Return")  # Retry, the default
        try:
            status = remover.wait(timeout=MSIEXEC_TIMEOUT_S)
        except subprocess.TimeoutExpired:
            raise Failure("the interactive uninstall did not end after Retry")
        check(status == 0, f"the interactive uninstall ended with {status} after Retry")
        check(not self.entries(), "the product is still installed after Retry")

    def visible_windows(self):
        result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."], env=self.session.env,
                                capture_output=True, text=True, timeout=30)
        return set(result.stdout.split())

    def wait_for_dialog(self, before):
        deadline = time.monotonic() + DIALOG_TIMEOUT_S
        while time.monotonic() < deadline:
            for window in self.visible_windows() - before:
                if self.session.run("xdotool", "getwindowname", window).strip():
                    return window
            time.sleep(0.2)
        raise Failure("no message appeared while the program ran: " + self.session.log("interactive"))

    def locked_folder(self):
        with self.session.locked_folder() as locked:
            self.expect("install into a folder that cannot be written",
                        ["/i", self.package, "ALLUSERS=1", f"INSTALLDIR={locked}\\Tolvane\\"], INSTALL_FAILURE,
                        None if "failed_install_unexplained" in self.quirks else r"\b13(03|10)\b")
        check(not self.entries(), "an uninstall entry after the failed install")

    def signed_program(self):
        program, _, _ = self.signed_builds()
        check(self.verify(program), "the zip's signed program does not verify")
        self.close(*self.start_from_shortcut(program, os.path.dirname(program)))

    def signed_package(self):
        _, package, _ = self.signed_builds()
        check(self.verify(package), "the signed package does not verify")
        self.install("user", package)
        program, _ = self.check_installed("user")
        check(self.verify(self.session.unix_path(program)), "the installed program does not verify")
        self.close(*self.start_from_shortcut(program))
        self.uninstall("user", package)

    def tampered_signed_files(self):
        """One byte changed in the middle (the program's code, the package's cabinet): neither verifies."""
        for signed in self.signed_builds()[:2]:
            with open(signed, "rb") as f:
                data = bytearray(f.read())
            data[len(data) // 2] ^= 0xFF
            tampered = os.path.join(self.session.workdir, "tampered-" + os.path.basename(signed))
            with open(tampered, "wb") as f:
                f.write(data)
            check(not self.verify(tampered), f"a tampered {os.path.basename(signed)} verifies")

    def damaged_package(self):
        damaged = os.path.join(self.session.workdir, "damaged.msi")
        with open(self.package, "rb") as source, open(damaged, "wb") as target:
            target.write(source.read()[:os.path.getsize(self.package) // 2])
        if "damaged_package_unexplained" in self.quirks:
            status, _ = self.session.msiexec("/i", damaged)
            check(status != 0, "the damaged package installed")
        else:
            self.expect("install of a damaged package", ["/i", damaged], PACKAGE_INVALID, "could not be opened")
        check(not self.entries(), "an uninstall entry after the damaged package")


SCENARIOS = ["per_user", "per_machine", "upgrade", "while_running", "locked_folder", "damaged_package",
             "signed_program", "signed_package", "tampered_signed_files"]


def test(session, layout, artifacts):
    scenarios = Scenarios(session, os.path.dirname(session.program), artifacts)
    failures = []
    for name in SCENARIOS:
        before = session.snapshot()
        try:
            getattr(scenarios, name)()
        except Failure as failure:
            failures.append(f"{name}: {failure}")
            print(f"FAIL {name}: {failure}")
            scenarios.remove_all()  # so that the next scenario starts without the program
            continue
        after = session.snapshot()
        changed = {("+ " if entry in after else "- ") + entry for entry in before ^ after
                   if not INSTALLER_CONTAINERS.match(entry)}
        if name == "locked_folder" and "failed_install_leaves_component_key" in scenarios.quirks:
            changed = {c for c in changed if not re.match(r"^\+ HKEY_LOCAL_MACHINE\\.*\\Components\\[0-9A-F]{32}$", c)}
        if changed:
            failures.append(f"{name}: the prefix changed: " + "; ".join(sorted(changed)[:20]))
            print(f"FAIL {name}: the prefix changed:\n  " + "\n  ".join(sorted(changed)))
        else:
            print(f"ok   {name}")
    check(not failures, f"{len(failures)} of {len(SCENARIOS)} scenarios failed")


if __name__ == "__main__":
    main(test, InstallerSession)

#!/usr/bin/env python3
"""Builds the Windows Installer package from packaging/windows/tolvane.wxs with Debian's wixl.

The package version is the program file's (1.0.0.0) unless --version names another: the tests build an
older package that way to upgrade from. The product code follows from the version, so every build of
one version is the same product and a newer version is a major upgrade of an older one.

wixl leaves two columns of the File table empty that Windows Installer reads: the program file's version
and language, which make it a versioned file (replaced by a newer version, kept against an older one,
never compared by hash). msibuild, from the same msitools, fills them in afterwards.

With --sign (sign.py, for a signed `make package`) the stripped program and DLL are signed before wixl packs
them, and the package once it is finished, with the certificate and key the environment names (sign.py).

Usage: build_msi.py --program tolvane.exe --checks installer_checks.dll --licence LICENSE.txt
                    --icon tolvane.ico --file-version 1.0.0.0 [--version V] [--strip STRIP] [--sign] --out OUT.msi
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import uuid

import sign

HERE = os.path.dirname(os.path.abspath(__file__))
# Names the product codes: uuid5(PRODUCT_CODES, "tolvane <version>").
PRODUCT_CODES = uuid.UUID("f133ca09-4812-42ab-911f-cb0439108db4")
# The program file's language, as its version record says (0x0804, Simplified Chinese).
PROGRAM_LANGUAGE = "2052"


def product_code(version):
    return str(uuid.uuid5(PRODUCT_CODES, f"tolvane {version}")).upper()


def build(args):
    signer = sign.required_signer() if args.sign else None
    with tempfile.TemporaryDirectory() as scratch:
        # wixl 0.101 (Debian 12) finds sources by names relative to where it runs, never by absolute paths.
        sources = {"ProgramFile": ("tolvane.exe", args.program), "ChecksFile": ("installer_checks.dll", args.checks),
                   "LicenceFile": ("LICENSE.txt", args.licence), "IconFile": ("tolvane.ico", args.icon)}
        for name, source in sources.values():
            shutil.copyfile(source, os.path.join(scratch, name))
        if args.strip:  # as in the zip: the symbols stay in the build
            for name in ("tolvane.exe", "installer_checks.dll"):
                subprocess.run([args.strip, "--strip-unneeded", os.path.join(scratch, name)], check=True)
        for name in ("tolvane.exe", "installer_checks.dll") if signer else ():  # once stripped, as shipped
            signer.sign(os.path.join(scratch, name))
        version = args.version or args.file_version
        command = ["wixl", "--arch", "x64", "-o", "tolvane.msi", "-D", f"Version={version}",
                   "-D", f"ProductCode={product_code(version)}"]
        for variable, (name, _) in sources.items():
            command += ["-D", f"{variable}={name}"]
        subprocess.run(command + [os.path.join(HERE, "tolvane.wxs")], cwd=scratch, check=True)
        unfinished = os.path.join(scratch, "tolvane.msi")
        subprocess.run(["msibuild", unfinished, "-q",
                        f"UPDATE `File` SET `Version` = '{args.file_version}', `Language` = '{PROGRAM_LANGUAGE}' "
                        "WHERE `File` = 'TolvaneExe'",
                        "-q", "DELETE FROM `MsiFileHash` WHERE `File_` = 'TolvaneExe'"], check=True)
        if signer:
            signer.sign(unfinished)
        # Into place only when whole: an interrupted build leaves no package behind.
        shutil.move(unfinished, args.out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("program", "checks", "licence", "icon", "file-version", "out"):
        parser.add_argument(f"--{option}", required=True)
    parser.add_argument("--version", help="the package's version, where it is not the program file's")
    parser.add_argument("--strip", help="the MinGW-w64 strip program")
    parser.add_argument("--sign", action="store_true", help="signs the files and the package (sign.py)")
    build(parser.parse_args())


if __name__ == "__main__":
    sys.exit(main())

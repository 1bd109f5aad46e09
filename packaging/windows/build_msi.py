#!/usr/bin/env python3
"""Builds the Windows Installer package from packaging/windows/tolvane.wxs with Debian's wixl.

The package version is the program file's (1.0.0.0) unless --version names another: the tests build an
older package that way to upgrade from. The product code follows from the version, so every build of
one version is the same product and a newer version is a major upgrade of an older one.

wixl leaves two columns of the File table empty that Windows Installer reads: the program file's version
and language, which make it a versioned file (replaced by a newer version, kept against an older one,
never compared by hash). msibuild, from the same msitools, fills them in afterwards.

With --source-date-epoch-file (the build's time, cmake/source_date_epoch.cmake) the same inputs make the
same bytes: wixl dates the cabinet's files by their modification times, which the copies are given, and
writes the time it ran and a random package code into the summary, which libmsi then rewrites (through
Debian's python3-gi and gir1.2-libmsi-1.0, so Debian's python3 runs this then).

Usage: build_msi.py --program tolvane.exe --checks installer_checks.dll --licence LICENSE.txt
                    --icon tolvane.ico --file-version 1.0.0.0 [--version V] [--strip STRIP]
                    [--source-date-epoch-file FILE] --out OUT.msi
"""

import argparse
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import uuid

HERE = os.path.dirname(os.path.abspath(__file__))
# Names the product codes: uuid5(PRODUCT_CODES, "tolvane <version>").
PRODUCT_CODES = uuid.UUID("f133ca09-4812-42ab-911f-cb0439108db4")
# The program file's language, as its version record says (0x0804, Simplified Chinese).
PROGRAM_LANGUAGE = "2052"


# Windows' FILETIME counts 100 ns from 1601-01-01, 11644473600 s before the Unix epoch.
FILETIME_UNIX_EPOCH = 11644473600


def product_code(version):
    return str(uuid.uuid5(PRODUCT_CODES, f"tolvane {version}")).upper()


def write_summary(msi, package_code, epoch):
    import gi  # only here: Debian's python3-gi, which only a reproducible build needs
    gi.require_version("Libmsi", "1.0")
    from gi.repository import Libmsi

    database = Libmsi.Database.new(msi, Libmsi.DbFlags.TRANSACT, None)
    summary = Libmsi.SummaryInfo.new(database, 3)
    summary.set_string(Libmsi.Property.UUID, package_code)
    for time in (Libmsi.Property.CREATED_TM, Libmsi.Property.LASTSAVED_TM):
        summary.set_filetime(time, (epoch + FILETIME_UNIX_EPOCH) * 10**7)
    summary.persist()
    database.commit()


def settle_summary(msi, version, epoch):
    """The build's time as the package's, and a package code that follows from everything else in it: the
    same for a rebuild, another for any other package, as Windows Installer wants of a package code."""
    write_summary(msi, "{00000000-0000-0000-0000-000000000000}", epoch)
    with open(msi, "rb") as package:
        digest = hashlib.sha256(package.read()).hexdigest()
    write_summary(msi, "{%s}" % str(uuid.uuid5(uuid.UUID(product_code(version)), digest)).upper(), epoch)


def build(args):
    with tempfile.TemporaryDirectory() as scratch:
        # wixl 0.101 (Debian 12) finds sources by names relative to where it runs, never by absolute paths.
        sources = {"ProgramFile": ("tolvane.exe", args.program), "ChecksFile": ("installer_checks.dll", args.checks),
                   "LicenceFile": ("LICENSE.txt", args.licence), "IconFile": ("tolvane.ico", args.icon)}
        for name, source in sources.values():
            shutil.copyfile(source, os.path.join(scratch, name))
        epoch = None
        strip_environment = None
        if args.source_date_epoch_file:
            with open(args.source_date_epoch_file, encoding="ascii") as f:
                epoch = int(f.read())
            # Debian's MinGW-w64 strip stamps the PE header with SOURCE_DATE_EPOCH, else with the time it ran.
            strip_environment = dict(os.environ, SOURCE_DATE_EPOCH=str(epoch))
        if args.strip:  # as in the zip: the symbols stay in the build
            for name in ("tolvane.exe", "installer_checks.dll"):
                subprocess.run([args.strip, "--strip-unneeded", os.path.join(scratch, name)], check=True,
                               env=strip_environment)
        if epoch is not None:
            for name, _ in sources.values():
                os.utime(os.path.join(scratch, name), (epoch, epoch))
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
        if epoch is not None:
            settle_summary(unfinished, version, epoch)
        # Into place only when whole: an interrupted build leaves no package behind.
        shutil.move(unfinished, args.out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("program", "checks", "licence", "icon", "file-version", "out"):
        parser.add_argument(f"--{option}", required=True)
    parser.add_argument("--version", help="the package's version, where it is not the program file's")
    parser.add_argument("--strip", help="the MinGW-w64 strip program")
    parser.add_argument("--source-date-epoch-file", help="a file holding the build's time (Unix seconds)")
    build(parser.parse_args())


if __name__ == "__main__":
    sys.exit(main())

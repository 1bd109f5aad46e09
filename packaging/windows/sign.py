#!/usr/bin/env python3
"""The Windows program's zip and Windows Installer package for `make package`, signed with Authenticode by
Debian's osslsigncode when the environment names a certificate and its key, unsigned otherwise.

Signing never changes what the files are: each is signed once it is final. The program is stripped before it
is packaged, so it is signed after that: in the zip, CPack's staged copy (sign_staged.cmake, a CPack
pre-build script, runs `sign.py files` on it); in the package, build_msi.py --sign signs its stripped copies
of the program and the custom action's DLL before wixl packs them, and then the package. Unsigned, the zip
and the package are made exactly as without this script.

The environment:
  SIGN_CERT           the certificate, or the chain from it up (PEM)
  SIGN_KEY            its private key (PEM)
  SIGN_PASS_FILE      a file holding the passphrase of an encrypted key; or SIGN_PASS, the passphrase
  SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server; without it the signatures have no time stamp

Usage: sign.py packages WINDOWS_BUILD_DIR OUT_DIR
       sign.py files FILE...   (signs in place)
"""

import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
# What Windows shows beside the publisher in the signature's details.
DESCRIPTION, URL = "0-10 Tolvane", "https://github.com/tolvane/tolvane"
UNSIGNED = "unsigned: SIGN_CERT and SIGN_KEY not given"


class Signer:
    """osslsigncode sign with one certificate and key. The passphrase goes to it through a file or its
    standard input, never through its command line, which any user can read."""

    def __init__(self, cert, key, pass_file=None, passphrase=None, timestamp_url=None):
        self.cert, self.key, self.pass_file, self.passphrase = cert, key, pass_file, passphrase
        self.timestamp_url = timestamp_url

    @classmethod
    def from_environment(cls, environment=os.environ):
        """The environment's signer; None when it names no certificate and key."""
        value = lambda name: environment.get(name) or None  # make passes unset variables on as empty
        cert, key = value("SIGN_CERT"), value("SIGN_KEY")
        if not cert and not key:
            return None
        if not (cert and key):
            sys.exit("SIGN_CERT and SIGN_KEY go together: the certificate and its private key (PEM files)")
        pass_file = value("SIGN_PASS_FILE")
        for name, path in (("SIGN_CERT", cert), ("SIGN_KEY", key), ("SIGN_PASS_FILE", pass_file)):
            if path and not os.path.isfile(path):
                sys.exit(f"{name}: no file {path}")
        return cls(os.path.abspath(cert), os.path.abspath(key), pass_file and os.path.abspath(pass_file),
                   value("SIGN_PASS"), value("SIGN_TIMESTAMP_URL"))

    def sign(self, path):
        """Signs a PE file or a Windows Installer package in place, keeping its mode and times, so that a
        signed file differs from the unsigned one by its signature alone."""
        command = ["osslsigncode", "sign", "-certs", self.cert, "-key", self.key, "-h", "sha256",
                   "-n", DESCRIPTION, "-i", URL]
        if self.pass_file:
            command += ["-readpass", self.pass_file]
        elif self.passphrase is not None:
            command += ["-readpass", "-"]
        if self.timestamp_url:
            command += ["-ts", self.timestamp_url]
        status = os.stat(path)
        with tempfile.TemporaryDirectory(dir=os.path.dirname(os.path.abspath(path))) as scratch:
            signed = os.path.join(scratch, os.path.basename(path))
            result = subprocess.run(command + ["-in", path, "-out", signed], input=self.passphrase, text=True,
                                    capture_output=True)
            if result.returncode != 0:
                sys.exit(f"osslsigncode could not sign {path}:\n{result.stdout}{result.stderr}")
            shutil.copymode(path, signed)
            os.utime(signed, ns=(status.st_atime_ns, status.st_mtime_ns))
            os.replace(signed, path)
        print("signed", os.path.basename(path))


DEBIAN_PYTHON3 = "/usr/bin/python3"


def required_signer():
    signer = Signer.from_environment()
    if not signer:
        sys.exit(UNSIGNED)
    return signer


def msi_arguments(build_dir):
    """build_msi.py's arguments as the build runs it (packaging/CMakeLists.txt writes them down)."""
    with open(os.path.join(build_dir, "packaging", "build_msi.args"), encoding="utf-8") as f:
        return f.read().splitlines()


def packages(build_dir, out_dir):
    signer = Signer.from_environment()
    if not signer:
        print(UNSIGNED)
    command = ["cpack", "--config", os.path.join(build_dir, "CPackConfig.cmake"), "-B", out_dir]
    if signer:
        # The build's own pre-build script (the staged folders' permissions) first, then the signing.
        staging = os.path.join(os.path.dirname(HERE), "reproducible_staging.cmake")
        command += ["-D", f"CPACK_PRE_BUILD_SCRIPTS={staging};{HERE}/sign_staged.cmake",
                    "-D", f"TOLVANE_PYTHON={sys.executable}"]
    subprocess.run(command, check=True)

    arguments = msi_arguments(build_dir)
    built = arguments[arguments.index("--out") + 1]
    if not signer:
        shutil.copy(built, out_dir)
        return
    # The package again, from signed files: the build's own one stays as the build made it.
    arguments[arguments.index("--out") + 1] = os.path.join(out_dir, os.path.basename(built))
    # Debian's python3, as the build runs build_msi.py: libmsi's bindings settle the package's summary.
    python = DEBIAN_PYTHON3 if os.path.exists(DEBIAN_PYTHON3) else sys.executable
    subprocess.run([python, os.path.join(HERE, "build_msi.py"), *arguments, "--sign"], check=True)


def main(argv):
    command, arguments = (argv[0], argv[1:]) if argv else (None, [])
    if command == "packages" and len(arguments) == 2:
        packages(*arguments)
    elif command == "files" and arguments:
        signer = required_signer()
        for path in arguments:
            signer.sign(path)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

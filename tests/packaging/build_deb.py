#!/usr/bin/env python3
"""Builds the Debian package with CPack into a scratch folder and unpacks it there with dpkg -x, for the
packaging tests that follow (a CTest fixture). The package lands in SCRATCH/, its files in SCRATCH/root/.

Usage: build_deb.py CPACK CPACK_CONFIG SCRATCH
"""

import glob
import os
import shutil
import subprocess
import sys


def main(cpack, config, scratch):
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    subprocess.run([cpack, "-G", "DEB", "--config", config, "-B", scratch], check=True)
    packages = glob.glob(os.path.join(scratch, "*.deb"))
    if len(packages) != 1:
        print(f"FAIL: expected one .deb in {scratch}, found {packages}")
        return 1
    subprocess.run(["dpkg", "-x", packages[0], os.path.join(scratch, "root")], check=True)
    print("built and unpacked", os.path.basename(packages[0]))
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))

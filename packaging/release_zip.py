#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Packs the release zip: installs the build into a folder of the zip's name
and zips that folder, so that one commit gives the same bytes wherever and
whenever it is packed: the entries in the order of their names, every entry
dated from the commit (SOURCE_DATE_EPOCH when it is set, else the commit's
date in UTC), and no owner or local time in the zip.

Usage: release_zip.py CMAKE BUILD_DIR SOURCE_DIR ZIP"""

import os
import stat
import subprocess
import sys
import tempfile
import time
import zipfile

# The earliest date a zip can hold, for sources outside a git checkout.
ZIP_EPOCH = 315532800


def commit_time(source_dir):
    if "SOURCE_DATE_EPOCH" in os.environ:
        return int(os.environ["SOURCE_DATE_EPOCH"])
    log = subprocess.run(["git", "-C", source_dir, "log", "-1", "--format=%ct"], capture_output=True, text=True)
    if log.returncode != 0:
        print(f"release zip: {source_dir} is not a git checkout; entries dated 1980-01-01", file=sys.stderr)
        return ZIP_EPOCH
    return max(int(log.stdout), ZIP_EPOCH)


def pack(folder, zip_path, epoch):
    date = time.gmtime(epoch)[:6]
    root = os.path.dirname(folder)
    names = sorted(os.path.relpath(os.path.join(where, name), root).replace(os.sep, "/")
                   for where, _, files in os.walk(folder) for name in files)
    with zipfile.ZipFile(zip_path, "w") as archive:
        for name in names:
            path = os.path.join(root, name)
            entry = zipfile.ZipInfo(name, date)
            entry.create_system = 3  # the mode below is a Unix one
            entry.external_attr = (stat.S_IFREG | (os.stat(path).st_mode & 0o755)) << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as file:
                archive.writestr(entry, file.read(), compresslevel=9)


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__.split("Usage: ")[1])
    cmake, build_dir, source_dir, zip_path = sys.argv[1:]
    zip_path = os.path.abspath(zip_path)
    with tempfile.TemporaryDirectory() as stage:
        folder = os.path.join(stage, os.path.basename(zip_path).removesuffix(".zip"))
        install = subprocess.run([cmake, "--install", build_dir, "--prefix", folder], capture_output=True, text=True)
        if install.returncode != 0:
            sys.exit(f"release zip: installing {build_dir} failed:\n{install.stdout}{install.stderr}")
        os.makedirs(os.path.dirname(zip_path), exist_ok=True)
        # Written beside, then renamed: a failed run leaves no half zip.
        pack(folder, zip_path + ".part", commit_time(source_dir))
        os.replace(zip_path + ".part", zip_path)
    print(f"release zip: {zip_path}")


if __name__ == "__main__":
    main()

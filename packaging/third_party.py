#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes THIRD-PARTY.txt: the libraries that the release's Windows files took
in when they were built, each with its terms as its Debian package gives them.

What a file took in is read from the build, not from a list:
- its linker map (ld -Map) names every object and archive member the link
  took, such as libstdc++.a(locale.o);
- for the build's own objects among them, Ninja's record of the compiler's
  dependency output (ninja -t deps) names the headers they were compiled from,
  which is where header-only libraries show: they are in no archive.
Each of those files outside the project belongs to a Debian package
(dpkg-query -S), whose /usr/share/doc/PACKAGE/copyright holds the terms; the
packages of one Debian source package are one library. A file that no package
owns, or a package without a copyright file, stops the packaging: a library
would ship without its notice.

Usage: third_party.py SOURCE_DIR BUILD_DIR NINJA OUTPUT FILE...
       (each FILE a shipped file of BUILD_DIR with its map in FILE.map)"""

import functools
import os
import re
import subprocess
import sys
import textwrap
from collections import defaultdict

from windows_text import write_windows_text

MEMBER = re.compile(r"([^\s(]+)\(([^)]+)\)")
DEBIAN_FORMAT = "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/"


class NoticeError(Exception):
    """What the notices cannot be made complete without."""


def run(*command, cwd=None):
    return subprocess.run(command, cwd=cwd, check=True, capture_output=True, text=True).stdout


def linked_inputs(map_path):
    """The objects a link loaded itself and the (archive, member) pairs it
    took from archives, as the linker's map lists them."""
    members, objects, section = [], [], None
    with open(map_path, encoding="utf-8", errors="replace") as file:
        for line in file:
            if line.startswith("Archive member included"):
                section = "members"
            elif line.startswith(("Discarded input sections", "Memory Configuration", "Allocating common")):
                section = None
            elif section == "members" and not line[0].isspace():
                match = MEMBER.match(line)
                if match:
                    members.append(match.groups())
            elif line.startswith("LOAD ") and not line.rstrip().endswith(".a"):
                objects.append(line[5:].strip())
    return members, objects


class Build:
    def __init__(self, source_dir, build_dir, ninja):
        self.own_dirs = tuple(os.path.realpath(folder) + os.sep for folder in (source_dir, build_dir))
        self.dir = os.path.realpath(build_dir)
        self.ninja = ninja

    def path(self, name):
        return os.path.realpath(os.path.join(self.dir, name))

    def is_own(self, path):
        return path.startswith(self.own_dirs)

    def archive_objects(self, archive):
        """The object files that the build packed into one of its archives."""
        query = run(self.ninja, "-t", "query", os.path.relpath(archive, self.dir), cwd=self.dir)
        inputs = query.split("  outputs:")[0].splitlines()[2:]
        return {os.path.basename(name.strip()): self.path(name.strip()) for name in inputs}

    def headers(self, obj):
        """The files the compiler read for one of the build's objects."""
        record = run(self.ninja, "-t", "deps", os.path.relpath(obj, self.dir), cwd=self.dir).splitlines()
        if not record or "(VALID)" not in record[0]:
            raise NoticeError(f"{obj}: Ninja has no record of the files it was compiled from")
        return [self.path(line.strip()) for line in record[1:] if line.strip()]


def taken_files(build, shipped):
    """The files outside the project that went into one shipped file."""
    members, objects = linked_inputs(shipped + ".map")
    own_objects, taken = [], set()
    archives = {}
    for archive, member in members:
        archive = build.path(archive)
        if build.is_own(archive):
            if archive not in archives:
                archives[archive] = build.archive_objects(archive)
            packed = archives[archive]
            if member not in packed:
                raise NoticeError(f"{archive}: the build packed no {member} into it")
            own_objects.append(packed[member])
        else:
            taken.add(archive)
    for obj in map(build.path, objects):
        if build.is_own(obj):
            own_objects.append(obj)
        else:
            taken.add(obj)
    for obj in own_objects:
        if obj.endswith(".obj"):
            taken.update(path for path in build.headers(obj) if not build.is_own(path))
    return taken


def owning_packages(paths):
    """The Debian package of every path; fails naming the paths that no package owns."""
    result = subprocess.run(["dpkg-query", "-S", *sorted(paths)], capture_output=True, text=True)
    owners = {}
    for line in result.stdout.splitlines():
        packages, path = line.split(": ", 1)
        if path in paths:
            owners[path] = packages.split(", ")[0].split(":")[0]
    unowned = sorted(set(paths) - owners.keys())
    if unowned:
        raise NoticeError("no Debian package, and so no notice, for " + ", ".join(unowned))
    return owners


@functools.cache
def source_package(package):
    return run("dpkg-query", "-W", "-f=${source:Package}", package).strip()


def terms(package):
    path = f"/usr/share/doc/{package}/copyright"
    if not os.path.isfile(path):
        raise NoticeError(f"the Debian package {package} has no {path}")
    with open(path, encoding="utf-8") as file:
        return file.read()


def licence(text):
    """The licence of the library's files as a whole, where its copyright file
    is machine-readable (its first Files: * stanza)."""
    if text.startswith(DEBIAN_FORMAT):
        match = re.search(r"^Files: \*\s*$.*?^License: ([^\n]+)$", text, re.M | re.S)
        if match:
            return f"{match.group(1)}; its parts under other terms are named in its terms below"
    return "given in its terms below"


def notices(build, shipped_files):
    uses = defaultdict(set)
    for shipped in shipped_files:
        for path in taken_files(build, build.path(shipped)):
            uses[path].add(os.path.basename(shipped))
    owners = owning_packages(set(uses))
    libraries = defaultdict(lambda: {"packages": set(), "in": set(), "files": set(), "headers": 0})
    for path, shipped in uses.items():
        library = libraries[source_package(owners[path])]
        library["packages"].add(owners[path])
        library["in"].update(shipped)
        if path.endswith((".a", ".o", ".obj")):
            library["files"].add(os.path.basename(path))
        else:
            library["headers"] += 1
    return {name: dict(library, terms=[terms(package) for package in sorted(library["packages"])])
            for name, library in libraries.items()}


def field(label, value):
    return textwrap.fill(value, 78, initial_indent=f"   {label + ':':<10}", subsequent_indent=" " * 13,
                         break_long_words=False, break_on_hyphens=False)


def text(libraries, shipped_names):
    names = sorted(libraries)
    lines = [
        "Third-party software in the release",
        "===================================",
        "",
        f"{' and '.join(shipped_names)} hold code of the libraries below, taken in",
        "when they were built. Each library's terms follow in full, as its Debian",
        "package gives them. The terms of KV_Info_Node itself are in LICENSE.txt.",
        "",
    ]
    for number, name in enumerate(names, 1):
        library = libraries[name]
        taken = sorted(library["files"])
        if library["headers"]:
            taken.append(f"{library['headers']} headers")
        lines += [f"{number}. {name}",
                  field("In", ", ".join(sorted(library["in"]))),
                  field("Licence", licence(library["terms"][0])),
                  field("Taken", ", ".join(taken)),
                  field("Packages", ", ".join(sorted(library["packages"])) + " (Debian)"),
                  ""]
    for number, name in enumerate(names, 1):
        heading = f"{number}. {name}: its terms"
        lines += ["", heading, "-" * len(heading), ""]
        for notice in dict.fromkeys(libraries[name]["terms"]):
            lines += [notice.rstrip("\n"), ""]
    return "\n".join(lines)


def main():
    if len(sys.argv) < 6:
        sys.exit(__doc__.split("Usage: ")[1])
    source_dir, build_dir, ninja, output, *shipped = sys.argv[1:]
    build = Build(source_dir, build_dir, ninja)
    try:
        libraries = notices(build, shipped)
    except (NoticeError, subprocess.CalledProcessError) as error:
        sys.exit(f"THIRD-PARTY.txt: {error}")
    write_windows_text(output, text(libraries, [os.path.basename(name) for name in shipped]))


if __name__ == "__main__":
    main()

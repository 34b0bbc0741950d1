#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Prints the version resource of a PE file, one fact a line:

    fixed FileVersion 0.1.1.5
    string 041103a4 FileDescription=Lightwave3D Plugin
    translation 0411 932

Exits non-zero when the file has no readable version resource.
"""
import struct
import sys

RT_VERSION = 16


def sections(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    count, optional_size = struct.unpack_from("<2xH12xH", data, pe + 4)
    table = pe + 24 + optional_size
    for i in range(count):
        name, rva, raw_ptr = struct.unpack_from("<8s4xI4xI", data, table + 40 * i)
        yield name.rstrip(b"\0"), rva, raw_ptr


def version_blob(data):
    rsrc = next((s for s in sections(data) if s[0] == b".rsrc"), None)
    if rsrc is None:
        raise ValueError("no .rsrc section")
    _, rsrc_rva, rsrc_ptr = rsrc

    def entries(offset):
        named, numbered = struct.unpack_from("<12xHH", data, rsrc_ptr + offset)
        for i in range(named + numbered):
            ident, target = struct.unpack_from("<II", data, rsrc_ptr + offset + 16 + 8 * i)
            yield ident, target

    # Type, then name, then language; the first entry on each level below the type.
    for ident, target in entries(0):
        if ident != RT_VERSION:
            continue
        for _ in range(2):
            if not target & 0x80000000:
                raise ValueError("resource tree too shallow")
            target = next(entries(target & 0x7FFFFFFF))[1]
        rva, size = struct.unpack_from("<II", data, rsrc_ptr + target)
        start = rsrc_ptr + rva - rsrc_rva
        return data[start:start + size]
    raise ValueError("no version resource")


def align4(n):
    return (n + 3) & ~3


def node(blob, offset):
    """One VS_VERSIONINFO-style block: (key, value bytes, value type, children, end)."""
    length, value_length, value_type = struct.unpack_from("<HHH", blob, offset)
    end = offset + length
    key_end = offset + 6
    while blob[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = blob[offset + 6:key_end].decode("utf-16-le")
    value_start = align4(key_end + 2)
    value_bytes = value_length * 2 if value_type == 1 else value_length
    value = blob[value_start:value_start + value_bytes]
    children = []
    child = align4(value_start + value_bytes)
    while child < end:
        children.append(node(blob, child))
        child = align4(children[-1][4])
    return key, value, value_type, children, end


def facts(blob):
    key, fixed, _, children, _ = node(blob, 0)
    if key != "VS_VERSION_INFO" or len(fixed) < 52:
        raise ValueError("malformed version resource")
    signature, _, ms, ls = struct.unpack_from("<IIII", fixed)
    if signature != 0xFEEF04BD:
        raise ValueError("bad fixed file info signature")
    yield f"fixed FileVersion {ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
    for name, _, _, blocks, _ in children:
        if name == "StringFileInfo":
            for table, _, _, strings, _ in blocks:
                for string_key, value, _, _, _ in strings:
                    text = value.decode("utf-16-le").rstrip("\0")
                    yield f"string {table} {string_key}={text}"
        elif name == "VarFileInfo":
            for var_key, value, _, _, _ in blocks:
                if var_key == "Translation":
                    for language, code_page in struct.iter_unpack("<HH", value):
                        yield f"translation {language:04x} {code_page}"


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: pe_version_info.py FILE")
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    try:
        for line in facts(version_blob(data)):
            print(line)
    except (ValueError, struct.error, UnicodeDecodeError, StopIteration) as e:
        sys.exit(f"{sys.argv[1]}: {e}")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Moves the PC-relative relocations of an i386 ELF object converted from COFF
onto the ELF convention.

A COFF REL32 field holds the displacement from the end of the field; an ELF
R_386_PC32 one, from its start. objcopy keeps the field as it is, so every
such field gets 4 subtracted here (in place, in every section it relocates).
Usage: coff_pc32_fix.py OBJECT
"""
import struct
import sys

R_386_PC32 = 2
SHT_REL = 9


def main(path):
    with open(path, "rb") as f:
        data = bytearray(f.read())
    if data[:4] != b"\x7fELF" or data[4] != 1 or data[5] != 1:
        sys.exit(f"{path}: not a 32-bit little-endian ELF object")
    shoff, = struct.unpack_from("<I", data, 0x20)
    shentsize, shnum = struct.unpack_from("<HH", data, 0x2E)
    sections = [struct.unpack_from("<IIIIIIIIII", data, shoff + i * shentsize) for i in range(shnum)]
    patched = 0
    for _, sh_type, _, _, offset, size, _, info, _, entsize in sections:
        if sh_type != SHT_REL:
            continue
        target_offset = sections[info][4]  # sh_offset of the section the relocations apply to
        for entry in range(offset, offset + size, entsize or 8):
            r_offset, r_info = struct.unpack_from("<II", data, entry)
            if r_info & 0xFF == R_386_PC32:
                place = target_offset + r_offset
                value, = struct.unpack_from("<i", data, place)
                struct.pack_into("<i", data, place, value - 4)
                patched += 1
    with open(path, "wb") as f:
        f.write(data)
    print(f"{path}: {patched} PC-relative fields moved")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])

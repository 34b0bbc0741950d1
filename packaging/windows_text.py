# SPDX-License-Identifier: MIT
"""Text files of the release zip as Windows editors read them."""


def write_windows_text(path, text):
    """Writes text with Windows line ends, in UTF-8; a file with signs beyond
    ASCII (such as − or °) starts with the byte order mark by which Notepad and
    other Windows editors tell UTF-8 from their local code page."""
    lines = text.replace("\r\n", "\n").split("\n")
    encoding = "utf-8" if text.isascii() else "utf-8-sig"
    with open(path, "w", encoding=encoding, newline="") as file:
        file.write("\r\n".join(line.rstrip() for line in lines))

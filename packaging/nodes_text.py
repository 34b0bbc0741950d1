#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes one section of a Markdown file as plain text for the release zip:
headings underlined, paragraphs and lists wrapped, tables in fixed columns,
emphasis and code marks dropped, a picture named by its place in the zip
(docs/a.svg as docs\\a.svg), an outside link followed by its address. HTML
comments are left out. Markdown that has no plain form here stops the
conversion rather than reaching the text.

Usage: nodes_text.py MARKDOWN "SECTION TITLE" OUTPUT"""

import re
import sys
import textwrap

from markdown_it import MarkdownIt
from markdown_it.tree import SyntaxTreeNode

from windows_text import write_windows_text

TEXT_WIDTH = 78
# Tables may run wider than the text before their cells wrap.
TABLE_WIDTH = 100
COLUMN_GAP = "  "
# Quoted names, such as "W Rot", stay on one line.
QUOTED_NAME = re.compile(r'"[^"\n]{1,40}"')
NO_BREAK_SPACE = "\u00a0"


def fill(text, width):
    kept = QUOTED_NAME.sub(lambda name: name.group().replace(" ", NO_BREAK_SPACE), text)
    lines = []
    for line in kept.split("\n"):
        lines += textwrap.wrap(line, width, break_long_words=False, break_on_hyphens=False) or [""]
    return "\n".join(lines).replace(NO_BREAK_SPACE, " ")


def is_address(target):
    return re.match(r"[a-z]+:", target) is not None


def inline(node):
    """The plain text of an inline node and its children."""
    kind = node.type
    if kind in ("text", "code_inline"):
        return node.content
    if kind == "softbreak":
        return " "
    if kind == "hardbreak":
        return "\n"
    if kind == "html_inline":
        return ""
    if kind == "image":
        source = node.attrs["src"]
        place = source if is_address(source) else source.replace("/", "\\")
        return f"Picture ({place}): {inline_children(node)}"
    text = inline_children(node)
    if kind in ("inline", "strong", "em"):
        return text
    if kind == "link":
        target = node.attrs["href"]
        return f"{text} ({target})" if is_address(target) and target != text else text
    raise ValueError(f"no plain text for Markdown {kind}")


def inline_children(node):
    return "".join(inline(child) for child in node.children)


def table(node):
    rows, aligns = [], []
    for part in node.children:
        for row in part.children:
            rows.append([inline_children(cell.children[0]) if cell.children else "" for cell in row.children])
            if part.type == "thead":
                aligns = ["right" in str(cell.attrs.get("style", "")) for cell in row.children]
    columns = range(len(rows[0]))
    widths = [max(len(row[c]) for row in rows) for c in columns]
    narrowest = [max(len(word) for row in rows for word in row[c].split() or [""]) for c in columns]
    while sum(widths) + len(COLUMN_GAP) * (len(widths) - 1) > TABLE_WIDTH:
        shrinkable = [c for c in columns if widths[c] > narrowest[c]]
        if not shrinkable:
            break
        widths[max(shrinkable, key=lambda c: widths[c])] -= 1

    def lines_of(row):
        cells = [fill(text, widths[c]).split("\n") for c, text in enumerate(row)]
        height = max(len(cell) for cell in cells)
        return [COLUMN_GAP.join((str.rjust if aligns[c] else str.ljust)(
                    cells[c][i] if i < len(cells[c]) else "", widths[c]) for c in columns).rstrip()
                for i in range(height)]

    body = [lines_of(row) for row in rows[1:]]
    wrapped = any(len(lines) > 1 for lines in body)
    text = lines_of(rows[0]) + [COLUMN_GAP.join("-" * width for width in widths)]
    for lines in body:
        text += ([""] if wrapped else []) + lines
    return "\n".join(text)


def block(node, width):
    """The plain text of a block node, or None for one that shows nothing."""
    kind = node.type
    if kind == "heading":
        title = inline(node.children[0])
        underline = {"h1": "=", "h2": "=", "h3": "-"}.get(node.tag)
        return f"{title}\n{underline * len(title)}" if underline else title
    if kind == "paragraph":
        return fill(inline(node.children[0]), width)
    if kind in ("bullet_list", "ordered_list"):
        start = int(node.attrs.get("start", 1))
        items = []
        for number, item in enumerate(node.children, start):
            mark = f"{number}. " if kind == "ordered_list" else "- "
            # A tight list's paragraphs are hidden: no blank line between its blocks.
            tight = any(child.type == "paragraph" and child.hidden for child in item.children)
            first, *rest = blocks(item.children, width - len(mark), "\n" if tight else "\n\n").split("\n")
            items.append("\n".join([mark + first] + [" " * len(mark) + line if line else "" for line in rest]))
        return "\n".join(items)
    if kind == "table":
        return table(node)
    if kind in ("fence", "code_block"):
        return textwrap.indent(node.content.rstrip("\n"), "    ")
    if kind == "blockquote":
        return textwrap.indent(blocks(node.children, width - 2), "  ")
    if kind == "hr":
        return "-" * width
    if kind == "html_block":
        return None
    raise ValueError(f"no plain text for Markdown {kind}")


def blocks(nodes, width, separator="\n\n"):
    texts = [block(node, width) for node in nodes]
    return separator.join(text for text in texts if text is not None)


def heading_level(node):
    return int(node.tag[1:]) if node.type == "heading" else None


def section(markdown, title):
    """The blocks of the section under the heading TITLE, to the next heading
    of its level or above."""
    nodes = SyntaxTreeNode(MarkdownIt("commonmark").enable("table").parse(markdown)).children
    starts = [i for i, node in enumerate(nodes) if heading_level(node) and inline(node.children[0]) == title]
    if not starts:
        raise ValueError(f'no section "{title}"')
    level = heading_level(nodes[starts[0]])
    end = next((i for i in range(starts[0] + 1, len(nodes))
                if heading_level(nodes[i]) and heading_level(nodes[i]) <= level), len(nodes))
    return nodes[starts[0]:end]


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__.split("Usage: ")[1])
    source, title, output = sys.argv[1:]
    with open(source, encoding="utf-8") as file:
        markdown = file.read()
    try:
        text = blocks(section(markdown, title), TEXT_WIDTH)
    except ValueError as error:
        sys.exit(f"{source}: {error}")
    write_windows_text(output, text + "\n")


if __name__ == "__main__":
    main()

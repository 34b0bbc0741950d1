#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks README's and INSTALL.txt's node lists against the module as scenehost sees it.

The nodes and their menu groups are `scenehost servers`; each node's outputs, with
their types in order, are what `scenehost eval` reads from one node of every server.
README lists the nodes under each menu group, its node reference each node's outputs
and the counts; INSTALL.txt lists the nodes under each menu group and the count of
servers. Prints one line per difference and exits 1 if there is any.
Usage: check_node_docs.py SCENEHOST MODULE README INSTALL
"""
import csv
import json
import re
import subprocess
import sys
import tempfile

SMALL = ("zero one two three four five six seven eight nine ten eleven twelve thirteen fourteen fifteen sixteen "
         "seventeen eighteen nineteen").split()
TENS = "_ _ twenty thirty forty fifty sixty seventy eighty ninety".split()


def in_words(n):
    return SMALL[n] if n < 20 else TENS[n // 10] + ("-" + SMALL[n % 10] if n % 10 else "")


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, check=True).stdout


def module_nodes(scenehost, module):
    """(server, user name, menu group) of every node, and the server count."""
    rows = [re.split(r"\s{2,}", line.strip()) for line in run(scenehost, "servers", module).splitlines()[3:]]
    return [tuple(row[2:5]) for row in rows if row[1] == "NodeHandler"], len(rows)


def registered_outputs(scenehost, module, nodes):
    """User name -> [(output, type)] in the order the node registers them."""
    scene = {"nodes": [{"name": user, "server": server} for server, user, _ in nodes]}
    with tempfile.NamedTemporaryFile("w", suffix=".json") as file:
        json.dump(scene, file)
        file.flush()
        rows = csv.DictReader(run(scenehost, "eval", file.name, "--module", module, "--format", "csv").splitlines())
        outputs = {user: [] for _, user, _ in nodes}
        for row in rows:
            outputs[row["node"]].append((row["output"], row["type"]))
    return outputs


def documented_outputs(readme, users):
    """User name -> [(output, type)] as the node reference's tables give them. A
    table whose rows are numbered lists the outputs of the nodes named in bold
    before it; a row saying "<node> only" belongs to that node alone. Another
    table's row names its nodes in the first cell."""
    found, named = {}, []
    for line in readme[readme.index("## Node reference"):].split("\n## ")[0].splitlines():
        if not line.startswith("|"):
            named = [n for n in re.findall(r"\*\*([^*]+)\*\*", line) if n in users] or named
            continue
        cells = [cell.strip() for cell in line.strip("|").split("|")]
        outputs = re.findall(r'"([^"]+)"', cells[1]) if len(cells) > 2 else []
        nodes = [n.strip() for n in cells[0].split(",")]
        if outputs and all(n in users for n in nodes):
            types = [t.strip() for t in cells[2].split(",")]
            for node in nodes:
                found.setdefault(node, []).extend(zip(outputs, types))
        elif outputs and re.fullmatch(r"[\d, ]+", cells[0]):
            only = [n for n in named if f"{n} only" in " ".join(cells[3:])]
            for node in only or named:
                found.setdefault(node, []).extend((output, cells[2]) for output in outputs)
    return found


def main():
    scenehost, module, readme_path, install_path = sys.argv[1:5]
    readme, install = open(readme_path).read(), open(install_path).read()
    nodes, servers = module_nodes(scenehost, module)
    outputs = registered_outputs(scenehost, module, nodes)
    faults = []

    def expect(what, expected, seen):
        if expected != seen:
            faults.append(f"{what}: expected {expected}, saw {seen}")

    for group in dict.fromkeys(g for _, _, g in nodes):
        users = [user for _, user, g in nodes if g == group]
        listed = re.search(rf'"{group}"\**:\s*((?:"[^"]+",?\s*)+)', readme)
        expect(f'README: the nodes under "{group}"', users, re.findall(r'"([^"]+)"', listed[1]) if listed else None)
        listed = re.search(rf"{group}:\s*([^(]+)\(", install)
        expect(f'INSTALL.txt: the nodes under "{group}"', users,
               [" ".join(n.split()) for n in listed[1].split(",")] if listed else None)
    documented = documented_outputs(readme, outputs)
    expect("README's node reference: the nodes", sorted(outputs), sorted(documented))
    for user, registered in outputs.items():
        expect(f"README: the outputs of {user}", registered, documented.get(user))
        for count in re.findall(rf"\*\*{user}\*\* \((\d+) outputs\)", readme):
            expect(f"README: the output count of {user}", len(registered), int(count))
    numbers = {in_words(n): n for n in range(100)}
    for name, text in (("README", readme), ("INSTALL.txt", install)):
        for word in re.findall(r"\b([a-z]+(?:-[a-z]+)?) nodes\b", text, re.IGNORECASE):
            if numbers.get(word.lower(), 0) >= 10:
                expect(f'{name}: "{word} nodes"', in_words(len(nodes)), word.lower())
        for word in re.findall(r"\b([a-z]+) for (?:objects|bones)\b", text):
            if word in numbers:
                expect(f'{name}: "{word} for" a family', in_words(len(nodes) // 2), word)
        for count in re.findall(r"\b(\d+) (?:entries|servers)\b", text):
            expect(f'{name}: "{count} entries"', servers, int(count))
    print("\n".join(faults) or f"README and INSTALL.txt list the {len(nodes)} nodes and their outputs")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())

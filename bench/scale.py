#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times scenehost's commands on generated scenes of studio size and measures
the peak memory of each run.

For every size it writes a scene of that many objects and NODES nodes of every
kind the module serves (read from `scenehost servers`), then runs each command
REPETITIONS times as its own process:
  panel  the first node's panel: "Item" set to the last object by name and
         "Select by CurItem" pressed, so the pop-up is listed twice
  eval   every output of every node at frame 0
  save   the states of every node, into a copy of the scene
Wall time, CPU time (user + system) and peak resident memory of each run come
from GNU time (/usr/bin/time). The runs go to RESULTS_DIR/scale.json, which summarize.py reads.

Usage: scale.py BUILD_DIR RESULTS_DIR [--sizes 1000,4000,16000] [--repetitions 5]
"""
import argparse
import json
import os
import pathlib
import subprocess
import sys

NODES = 1000
CHAIN = 8  # objects per hierarchy
BONES_EVERY = 64  # every 64th object owns a bone chain
BONES = 4
LIGHTS = 8
CAMERAS = 2
BONE_MENU_GROUP = "ZiZuze/Info/Bone"  # as `scenehost servers` lists it
TIME = "/usr/bin/time"  # GNU time, Debian package "time"


def node_servers(scenehost, module):
    """(server name, is a bone node) of every "NodeHandler" server, in table order."""
    listing = subprocess.run([scenehost, "servers", module], check=True, capture_output=True, text=True).stdout
    servers = []
    for line in listing.splitlines():
        fields = line.split()
        if len(fields) >= 4 and fields[1] == "NodeHandler":
            servers.append((fields[2], fields[-1] == BONE_MENU_GROUP))
    if not servers:
        sys.exit(f"scale.py: `scenehost servers {module}` listed no NodeHandler server")
    return servers


def keys(last):
    return [{"f": 0, "v": [0, 0, 0]}, {"f": 48, "v": last}]


def scene(objects, servers):
    """Objects in hierarchies of CHAIN, every BONES_EVERY-th with a chain of
    bones, a few lights and cameras; NODES nodes of the kinds in turn, their
    items spread over the scene, in every time mode."""
    items, owners = [], []
    for i in range(objects):
        item = {"type": "object", "name": f"Obj{i}", "color": i % 15, "position": [0, 1, 0.1 * (i % CHAIN)]}
        if i % CHAIN:
            item["parent"] = f"Obj{i - 1}"
        if i % 4 == 0:
            item["rotation"] = keys([30, 10, 5])
        if i % 3 == 0:
            item["scale"] = [1.1, 1, 0.9]
        items.append(item)
        if i % BONES_EVERY == 0:
            owners.append(f"Obj{i}")
            for b in range(BONES):
                bone = {"type": "bone", "name": f"B{b}", "owner": f"Obj{i}", "position": [0, 0, 1],
                        "rotation": keys([0, 20, 0]), "restPosition": [0, 0, 1]}
                if b:
                    bone["parent"] = f"B{b - 1}"
                items.append(bone)
    items += [{"type": "light", "name": f"Light{k}", "parent": f"Obj{k * CHAIN}", "position": [4, 6, -4]}
              for k in range(LIGHTS)]
    items += [{"type": "camera", "name": f"Cam{k}", "position": [0, 2, -8], "rotation": keys([0, 10, 0])}
              for k in range(CAMERAS)]
    nodes = []
    for n in range(NODES):
        server, bone_node = servers[n % len(servers)]
        node = {"name": f"n{n}", "server": server}
        if bone_node:
            node["object"] = owners[n % len(owners)]
            node["bone"] = f"B{n % BONES}"
        elif n % 10 == 9:
            node["item"] = f"Light{n % LIGHTS}" if n % 20 == 9 else f"Cam{n % CAMERAS}"
        else:
            node["item"] = f"Obj{(n * 7919) % objects}"
        if n % 3 == 1:
            node.update(mode="Rel", time=-0.25)
        elif n % 5 == 2:
            node.update(mode="Abs", time=1.5)
        nodes.append(node)
    return {"fps": 24, "angles": "degrees", "items": items, "selection": ["Obj1"], "nodes": nodes}


def measured(command, report):
    """Runs `command` under GNU time with its output discarded: (wall s, CPU s,
    peak resident MB). GNU time's own child is measured, which starts from a
    small process: a child of this Python inherits its resident size."""
    with open(os.devnull, "wb") as devnull:
        done = subprocess.run([TIME, "-o", report, "-f", "%e %U %S %M", *command], stdout=devnull,
                              stderr=subprocess.PIPE)
    if done.returncode != 0:
        sys.exit(f"scale.py: {' '.join(map(str, command))} failed with exit status {done.returncode}:\n"
                 f"{done.stderr.decode(errors='replace')}")
    wall, user, system, peak_kb = pathlib.Path(report).read_text().split()[-4:]
    return float(wall), float(user) + float(system), int(peak_kb) / 1024


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", type=pathlib.Path, help="the bench build tree, e.g. build/bench")
    parser.add_argument("results", type=pathlib.Path, help="where scale.json goes")
    parser.add_argument("--sizes", default="1000,4000,16000", help="object counts, comma-separated")
    parser.add_argument("--repetitions", type=int, default=5)
    args = parser.parse_args()
    scenehost = args.build / "scenehost" / "scenehost"
    module = args.build / "KV_Info_Node.so"
    servers = node_servers(scenehost, module)
    work = args.build / "scale"
    work.mkdir(parents=True, exist_ok=True)
    args.results.mkdir(parents=True, exist_ok=True)
    runs = []
    load_before = os.getloadavg()
    for objects in (int(size) for size in args.sizes.split(",")):
        path = work / f"scene-{objects}.json"
        path.write_text(json.dumps(scene(objects, servers)))
        common = ["--module", module]
        commands = {
            "panel": [scenehost, "panel", path, "n0", "--set", f"Item=Obj{objects - 1}", "--press",
                      "Select by CurItem", *common],
            "eval": [scenehost, "eval", path, "--frames", "0..0", *common],
            "save": [scenehost, "save", path, "-o", work / f"saved-{objects}.json", *common],
        }
        for name, command in commands.items():
            samples = [measured(command, work / "time.txt") for _ in range(args.repetitions)]
            runs.append({"command": name, "objects": objects, "nodes": NODES,
                         "wall_s": [s[0] for s in samples], "cpu_s": [s[1] for s in samples],
                         "peak_mb": [s[2] for s in samples]})
            print(f"{name:5} {objects:6} objects: wall {', '.join(f'{s[0]:.2f}' for s in samples)} s, "
                  f"peak {max(s[2] for s in samples):.0f} MB", flush=True)
    context = {"load_avg_before": load_before, "load_avg_after": os.getloadavg()}
    (args.results / "scale.json").write_text(json.dumps({"context": context, "runs": runs}, indent=1))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora into fuzz/corpus/<target>/.

The byte encodings follow the targets' readers (fuzz/byte_reader.h): one byte
per choice, raw values little end first. Run again after changing a decoder.
"""
import json
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent

# anyDouble / anyInt32 / anyItemId: a pick byte, then the value.
def small(value):  # a multiple of 1/4 in [-32, 31.75]
    return bytes([100, int(value * 4) & 0xFF])

def raw_double(value):
    return bytes([200]) + struct.pack("<d", value)

def edge_double(index):  # NaN, inf, -inf, 0, -0, max, lowest, denorm, 1e300, -1e-300, 0.5, quarter turn
    return bytes([index])

def int32(value):
    return bytes([100, value & 0xFF]) if -128 <= value < 128 else bytes([200]) + struct.pack("<i", value)

def item(index):  # the index-th item of the fuzz scene: Body Arm Empty Light Cam Root Tip Elbow
    return bytes([100, index])

def raw_id(value):
    return bytes([240]) + struct.pack("<I", value)

# saved_state_fuzz: block count, then per block an ID choice (0 IIDS, 1 ITIM,
# 2 IMOD, 3 a raw ID), a value count and the values (0 i4, 1 u4, 2 dp); then the
# frame and the time of the evaluation.
IDS, TIME, MODE = 0, 1, 2

def block(kind, *values, raw=None):
    head = bytes([kind]) + (struct.pack("<I", raw) if kind == 3 else b"")
    return head + bytes([len(values)]) + b"".join(values)

def u4(encoded):
    return bytes([1]) + encoded

def i4(encoded):
    return bytes([0, 1]) + encoded

def dp(encoded):
    return bytes([2]) + encoded

def state(*blocks, frame=int32(3), time=small(1.0)):
    return bytes([len(blocks)]) + b"".join(blocks) + frame + time

SAVED_STATE = {
    "item_saved_order": state(block(IDS, u4(item(1))), block(TIME, dp(small(0.5))), block(MODE, i4(int32(1)))),
    "bone_reversed": state(block(MODE, i4(int32(2))), block(TIME, dp(small(-1.25))),
                           block(IDS, u4(item(0)), u4(item(6)))),
    "duplicates_last_wins": state(block(TIME, dp(small(2.0))), block(IDS, u4(item(3))), block(TIME, dp(edge_double(0))),
                                  block(IDS, u4(item(0)), u4(item(7))), block(MODE, i4(int32(7)))),
    "short_long_unknown": state(block(IDS), block(3, dp(small(1.0)), raw=0x494D4F45), block(TIME),
                                block(IDS, u4(raw_id(0x40010001)), u4(item(5)), i4(int32(-1)), dp(small(3.0))),
                                block(MODE, dp(int32(-5)))),
    "huge_time": state(block(TIME, dp(raw_double(1e308))), block(MODE, i4(int32(1))), block(IDS, u4(item(2))),
                       time=edge_double(1)),
    "empty": b"",
}

# panel_fuzz: the node kinds (low nibble item, high nibble bone), then steps:
# a node byte (odd: the bone node), an action byte, the action's arguments.
ITEM_NODE, BONE_NODE = 0, 1
SET, GET, NOTIFY, PRESS, POPUP, CHANGE, REORDER, REMOVE, SELECT, NEWTIME, EVALUATE, CONNECT, OPEN, TOGGLE, EDIT, INSTANCE, ADD = range(17)
CTL = {"item": 0, "bone": 1, "time": 2, "mode": 3, "getsel": 4, "select": 5, "zero": 6}

def step(node, action, *args):
    return bytes([node, action]) + b"".join(args)

def b(*values):
    return bytes(values)

def panel(kinds, *steps):
    return bytes([kinds]) + b"".join(steps)

PANEL = {
    "item_panel_round": panel(0x00,
        step(ITEM_NODE, OPEN),
        step(ITEM_NODE, SET, b(CTL["item"], 0), int32(2)),
        step(ITEM_NODE, SET, b(CTL["time"], 1), small(0.5)),
        step(ITEM_NODE, SET, b(CTL["mode"], 0), int32(1)),
        step(ITEM_NODE, GET, b(CTL["item"])),
        step(ITEM_NODE, POPUP, b(CTL["item"], 1, 3)),
        step(ITEM_NODE, NEWTIME, int32(1), small(0.25)),
        *[step(ITEM_NODE, EVALUATE, b(i)) for i in range(17)],
        step(ITEM_NODE, NOTIFY, b(CTL["zero"], CTL["zero"], 1, 4))),
    "bone_panel_buttons": panel(0x40,
        step(BONE_NODE, OPEN),
        step(BONE_NODE, SET, b(CTL["item"], 0), int32(1)),
        step(BONE_NODE, SET, b(CTL["bone"], 0), int32(2)),
        step(BONE_NODE, POPUP, b(CTL["bone"], 1, 4)),
        step(BONE_NODE, PRESS, b(CTL["select"])),
        step(ITEM_NODE, SELECT, b(1, 7)),
        step(BONE_NODE, PRESS, b(CTL["getsel"])),
        step(BONE_NODE, EVALUATE, b(0)),
        step(BONE_NODE, EVALUATE, b(3))),
    "scene_edits": panel(0x21,
        step(ITEM_NODE, SET, b(CTL["item"], 0), int32(3)),
        step(ITEM_NODE, REORDER, b(2, 0)),
        step(ITEM_NODE, NOTIFY, b(CTL["zero"], CTL["zero"], 1, 4)),
        step(ITEM_NODE, REMOVE, b(0)),
        step(ITEM_NODE, CHANGE, b(1), item(2), raw_id(0x10000009)),
        step(ITEM_NODE, EDIT, b(3, 0, 10), b"%n%s%p\xff\x00ab"),
        step(ITEM_NODE, ADD, b(0, 0)),
        step(BONE_NODE, INSTANCE, b(0)),
        step(BONE_NODE, INSTANCE, b(3)),
        step(ITEM_NODE, POPUP, b(CTL["item"], 0), int32(-7)),
        step(BONE_NODE, EVALUATE, b(1))),
    "connections_and_services": panel(0x77,
        step(ITEM_NODE, CONNECT, b(0), edge_double(0)),
        step(ITEM_NODE, CONNECT, b(1), raw_id(0x40020001)),
        step(ITEM_NODE, OPEN),
        step(ITEM_NODE, GET, b(CTL["time"])),
        step(ITEM_NODE, TOGGLE, b(2)),
        step(ITEM_NODE, OPEN),
        step(ITEM_NODE, SET, b(CTL["mode"], 0), int32(9)),
        step(ITEM_NODE, TOGGLE, b(0)),
        step(ITEM_NODE, POPUP, b(CTL["item"], 1, 5)),
        step(BONE_NODE, EVALUATE, b(2)),
        step(ITEM_NODE, EVALUATE, b(200))),
}

def scene_files():
    seeds = {path.stem: path.read_text() for path in (HERE.parent / "scenehost" / "examples").glob("*.json")}
    seeds["minimal"] = json.dumps({"items": [{"type": "object", "name": "A"}],
                                   "nodes": [{"server": "Item Pos", "item": "A"}]})
    seeds["bone_state"] = json.dumps({
        "items": [{"type": "object", "name": "Skin"}, {"type": "bone", "name": "B", "owner": "Skin"}],
        "nodes": [{"server": "Bone Info", "bone": "Skin:B", "mode": "Abs", "time": 2,
                   "inputs": {"Time": [{"f": 0, "v": 1.0}]}, "outputs": ["Owner"]}]})
    # A number no double holds: it once escaped the parser as an exception.
    seeds["number_overflow"] = '{"fps": 1e400}'
    return seeds

def write(target, seeds):
    folder = HERE / "corpus" / target
    folder.mkdir(parents=True, exist_ok=True)
    for name, data in seeds.items():
        (folder / name).write_bytes(data if isinstance(data, bytes) else data.encode())

write("saved_state_fuzz", SAVED_STATE)
write("panel_fuzz", PANEL)
write("scene_file_fuzz", scene_files())

#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
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

# change_id_fuzz: the node kinds as in panel_fuzz, then steps: a node byte (odd:
# the bone node), an action byte, the action's arguments. Identifiers (anyId):
# 0 none, 1 a scene item by index, 4 one a node holds (0 the item node's, 1 the
# bone node's object, 2 its bone), 6 one named earlier in the list (index, then
# odd: its new value), 7 a raw one.
RENAME, USE_ITEMS, SAVE_LOAD, EVALUATE_ONE, OPEN_PANEL, CONNECT_ITEM = range(6)
BODY, ARM, EMPTY, LIGHT, CAM, ROOT, TIP, ELBOW = range(8)

def cid_none():
    return b(0)

def cid_item(index):
    return b(1, index)

def cid_held(which):
    return b(4, which)

def cid_earlier(index, new):
    return b(6, index, 1 if new else 0)

def cid_raw(value):
    return b(7, 1) + struct.pack("<I", value)

def renames(*pairs):
    return bytes([len(pairs)]) + b"".join(old + new for old, new in pairs)

def load_ids(*ids):
    return b(1) + b"".join(ids)

CHANGE_ID = {
    "rename_is_not_followed_on": panel(0x00,
        step(ITEM_NODE, SAVE_LOAD, load_ids(cid_item(BODY))),
        step(ITEM_NODE, OPEN_PANEL),
        step(ITEM_NODE, RENAME, renames((cid_item(BODY), cid_item(ARM)), (cid_item(ARM), cid_item(LIGHT)))),
        step(ITEM_NODE, USE_ITEMS),
        step(ITEM_NODE, EVALUATE_ONE, b(2, 14)),
        step(ITEM_NODE, RENAME, renames((cid_item(ARM), cid_item(LIGHT)), (cid_item(LIGHT), cid_item(ARM)))),
        step(ITEM_NODE, SAVE_LOAD, b(0))),
    "bone_owner_and_bone": panel(0x00,
        step(BONE_NODE, SAVE_LOAD, load_ids(cid_item(BODY), cid_item(ROOT))),
        step(BONE_NODE, OPEN_PANEL),
        step(BONE_NODE, RENAME, renames((cid_item(ROOT), cid_item(TIP)), (cid_item(BODY), cid_item(ARM)))),
        step(BONE_NODE, RENAME, renames((cid_item(TIP), cid_item(ELBOW)))),
        step(BONE_NODE, USE_ITEMS),
        step(BONE_NODE, EVALUATE_ONE, b(1, 17)),
        step(BONE_NODE, SAVE_LOAD, b(0))),
    "stale_zero_duplicates": panel(0x10,
        step(ITEM_NODE, SAVE_LOAD, load_ids(cid_item(LIGHT))),
        step(BONE_NODE, SAVE_LOAD, load_ids(cid_item(ARM), cid_item(ELBOW))),
        step(ITEM_NODE, OPEN_PANEL),
        step(BONE_NODE, OPEN_PANEL),
        step(ITEM_NODE, RENAME, renames((cid_none(), cid_item(BODY)), (cid_item(LIGHT), cid_item(BODY)))),
        step(ITEM_NODE, RENAME, renames((cid_raw(0x1000ABCD), cid_item(CAM)), (cid_held(0), cid_item(CAM)),
                                        (cid_earlier(1, False), cid_item(BODY)))),
        step(ITEM_NODE, RENAME, renames((cid_held(2), cid_none()), (cid_held(1), cid_raw(0x4123FFFF)))),
        step(ITEM_NODE, RENAME, renames((cid_item(CAM), cid_earlier(0, True)))),
        step(ITEM_NODE, USE_ITEMS),
        step(BONE_NODE, USE_ITEMS),
        step(BONE_NODE, SAVE_LOAD, b(0))),
    "connected_item": panel(0x00,
        step(ITEM_NODE, CONNECT_ITEM, b(1), cid_raw(0x30000001)),
        step(ITEM_NODE, OPEN_PANEL),
        step(ITEM_NODE, EVALUATE_ONE, b(0, 14)),
        step(ITEM_NODE, RENAME, renames((cid_raw(0x30000001), cid_item(BODY)))),
        step(ITEM_NODE, CONNECT_ITEM, b(0)),
        step(BONE_NODE, CONNECT_ITEM, b(1), cid_item(TIP)),
        step(BONE_NODE, EVALUATE_ONE, b(5, 16))),
}

# evaluate_fuzz: the item count, then per item its parent (0 none, k the k-th
# earlier item), its type (0 object, 1 light, 2 camera, 3 bone, then the owner
# among the objects), five channels (position, rotation, scaling, pivot, pivot
# rotation: 0 default, 1 a constant triple, 2 keys) and, for a bone, whether
# rest values follow. Then a byte of edits (1: an item is removed, 2: a parent is
# set, 4: a list leads back to an item), each with its item indices; then the rounds.
OBJECT, LIGHT_ITEM, CAMERA, BONE = range(4)
NAN, INF, NEG_INF, HUGE, NEG_HUGE, SUBNORMAL = range(6)
ZERO = 7

def ordinary(n):  # n/4 (for a scale 1 + n/16), n in -128..127
    return b(0, n & 0xFF)

def wide(v):  # any multiple of 1/1024
    return b(128) + struct.pack("<i", int(v * 1024))

def edge(index):  # NaN inf -inf 1e300 -1e300 denorm -denorm 0 -0 1e6 -1e6 1e-3 -1e-3 max eps quarter-turn
    return b(192 + index)

def vals(*encoded):
    return b"".join(encoded)

def const(*triple):
    return b(1) + vals(*triple)

def keys(*timed):  # (time in quarters, triple)
    return b(2, len(timed) - 2) + b"".join(b(t & 0xFF) + vals(*v) for t, v in timed)

DEFAULT = b(0)

def item_spec(parent, kind, position=DEFAULT, rotation=DEFAULT, scaling=DEFAULT, pivot=DEFAULT,
              pivot_rotation=DEFAULT, owner=None, rest=None):
    out = b(parent, kind) + (b(owner) if kind == BONE else b"")
    out += position + rotation + scaling + pivot + pivot_rotation
    if kind == BONE:
        out += b(0) if rest is None else b(1) + vals(*rest[0]) + vals(*rest[1])
    return out

def eval_scene(*items, removed=None, parent_loop=None, list_loop=None):
    """parent_loop: (child, parent) item indices; list_loop: the item its list leads back to."""
    edits = (removed is not None) | (parent_loop is not None) << 1 | (list_loop is not None) << 2
    out = b(len(items) - 1) + b"".join(items) + b(edits)
    out += b"" if removed is None else b(removed)
    out += b"" if parent_loop is None else b(*parent_loop)
    return out + (b"" if list_loop is None else b(list_loop))

def time_small(eighths):
    return b(0, eighths & 0xFF)

def time_edge(index):
    return b(192 + index)

def round_(bone, kind, ids, panel_time=time_small(0), mode=0, item_input=None, time_input=None,
           frame=int32(1), current=time_small(8), reversed_=False):
    out = b(1 if bone else 0, kind) + b"".join(ids) + panel_time
    out += b(mode) if 0 <= mode < 3 else b(3) + int32(mode)
    out += b(0) if item_input is None else b(1) + item_input
    out += b(0) if time_input is None else b(1) + time_input
    return out + frame + current + b(1 if reversed_ else 0)

TAME_RIG_ITEMS = (
    item_spec(0, OBJECT, const(ordinary(4), ordinary(8), ordinary(-12)), const(ordinary(1), ordinary(-2), ordinary(3)),
              const(ordinary(16), ordinary(0), ordinary(-24)), const(ordinary(1), ordinary(0), ordinary(0)),
              const(ordinary(0), ordinary(2), ordinary(0))),
    item_spec(1, OBJECT, keys((0, (ordinary(0), ordinary(4), ordinary(0))), (8, (ordinary(40), ordinary(4), ordinary(0)))),
              const(ordinary(0), wide(1.5707963267948966), ordinary(0)),
              keys((0, (ordinary(-8), ordinary(-8), ordinary(-8))), (4, (ordinary(-4), ordinary(-15), ordinary(-15))))),
    item_spec(2, LIGHT_ITEM, const(ordinary(0), ordinary(0), ordinary(20)), const(wide(1000000), edge(11), ordinary(0))),
    item_spec(3, CAMERA, DEFAULT, const(ordinary(2), ordinary(1), ordinary(0)), const(ordinary(32), ordinary(32), ordinary(32))),
    item_spec(1, BONE, const(ordinary(0), ordinary(4), ordinary(0)), const(edge(14), ordinary(0), ordinary(0)), owner=0,
              rest=((ordinary(0), ordinary(4), ordinary(0)), (ordinary(1), ordinary(2), ordinary(3)))),
    item_spec(5, BONE, const(ordinary(0), ordinary(4), ordinary(0)), const(ordinary(6), ordinary(-6), ordinary(1)), owner=0,
              pivot_rotation=const(ordinary(1), ordinary(0), ordinary(0))))
TAME_RIG = eval_scene(*TAME_RIG_ITEMS)

# The targets take a kind byte modulo the family's kind count, and a kind
# nibble of the panel and change-ID targets reaches 16 kinds: 16 rounds reach
# every kind of the module, whatever their number, some twice.
KIND_CHOICES = 16

def all_kinds(bone, ids):
    modes = [0, 1, 2, 7]
    return b"".join(round_(bone, kind, ids, panel_time=time_small(-4), mode=modes[kind % 4],
                           time_input=time_small(12) if kind % 3 == 0 else None, reversed_=kind % 2 == 1)
                    for kind in range(KIND_CHOICES))

EVALUATE = {
    "item_kinds_tame_rig": TAME_RIG + all_kinds(False, [item(1)]),
    "bone_kinds_tame_rig": TAME_RIG + all_kinds(True, [item(0), item(5)]),
    "camera_and_light": TAME_RIG + round_(False, 0, [item(3)], mode=2) + round_(False, 6, [item(2)], mode=1)
                        + round_(True, 0, [item(0), item(5)], item_input=item(3)),
    "edges_everywhere": eval_scene(
        item_spec(0, OBJECT, const(edge(NAN), edge(INF), edge(NEG_HUGE)), const(edge(HUGE), edge(SUBNORMAL), edge(15)),
                  const(edge(ZERO), edge(13), edge(8))),
        item_spec(1, OBJECT, DEFAULT, const(edge(INF), edge(NEG_INF), edge(NAN)), const(edge(6), edge(12), edge(5)),
                  const(edge(NAN), edge(NAN), edge(NAN)), const(edge(NEG_INF), ordinary(0), ordinary(0))),
        item_spec(2, BONE, owner=1, rest=((edge(NAN), edge(INF), ordinary(0)), (edge(HUGE), edge(NAN), ordinary(1))))) +
        round_(False, 0, [item(1)], mode=1, panel_time=time_edge(NAN)) +
        round_(True, 0, [item(1), item(2)], mode=2, current=time_edge(INF)) +
        round_(False, 4, [item(1)], mode=2, time_input=time_edge(2)) +
        round_(True, 5, [item(0), item(2)], mode=-5),
    "zero_scale_and_orphans": eval_scene(
        item_spec(0, OBJECT, scaling=const(ordinary(-16), ordinary(16), ordinary(0))),
        item_spec(1, BONE, owner=0, scaling=const(ordinary(0), ordinary(0), ordinary(-16))),
        item_spec(0, OBJECT),
        item_spec(3, BONE, owner=1, position=const(ordinary(4), ordinary(0), ordinary(0))),
        removed=2) +
        round_(True, 0, [item(2), item(3)]) +
        round_(True, 7, [item(0), item(1)], mode=1) +
        round_(False, 0, [item(1)], item_input=raw_id(0x4001FFFF)) +
        round_(False, 3, [raw_id(0x1000FFFF)]) +
        round_(True, 6, [item(0), raw_id(0)], item_input=b(0)),
    # The rig's first object put under its own child, and the object list led back onto its last
    # object: the light and the camera after it, then every kind.
    "looping_links": eval_scene(*TAME_RIG_ITEMS, parent_loop=(0, 1), list_loop=1) + round_(False, 0, [item(2)])
                     + round_(False, 0, [item(3)]) + all_kinds(False, [item(1)]) + all_kinds(True, [item(0), item(5)]),
    # A NaN time between keys once read past the end of the host's key list.
    "nan_time_keyed": eval_scene(
        item_spec(0, OBJECT, keys((0, (ordinary(0),) * 3), (8, (ordinary(4),) * 3)),
                  scaling=keys((0, (ordinary(0),) * 3), (8, (ordinary(16),) * 3)))) +
        round_(False, 1, [item(0)], current=time_edge(NAN)) +
        round_(False, 0, [item(0)], mode=1, panel_time=time_edge(NAN), reversed_=True),
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
write("change_id_fuzz", CHANGE_ID)
write("evaluate_fuzz", EVALUATE)

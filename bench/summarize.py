#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Prints the benchmark tables from the Google Benchmark JSON files in a folder.

Every figure is the median over the repetitions, in CPU time (the machine may
be shared, and CPU time is what the benchmark's own thread spent).
The scale table (scale.json, written by scale.py) gives medians of wall and
CPU time and the largest peak memory over the runs of each command.
Usage: summarize.py RESULTS_DIR   (reads math.json, nodes.json, scene.json, scale.json)
"""
import json
import pathlib
import statistics
import sys

UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}

# The limits each command keeps on the largest scene: CPU seconds, peak MB.
SCALE_TARGET_OBJECTS = 16000
SCALE_TARGETS = {"panel": (5.0, 200.0), "eval": (5.0, 200.0), "save": (5.0, 200.0)}


class UnreadableResults(Exception):
    pass


def without_stray_commas(text):
    """The JSON text with every comma dropped that is followed, after blanks,
    by another comma or a closing bracket. Google Benchmark 1.7.1 writes such
    commas after "time_unit" of some entries; strings are left as they are."""
    kept, in_string, escaped = [], False, False
    for i, c in enumerate(text):
        if in_string:
            in_string = escaped or c != '"'
            escaped = not escaped and c == "\\"
        elif c == '"':
            in_string = True
        elif c == "," and text[i + 1:].lstrip()[:1] in (",", "}", "]"):
            continue
        kept.append(c)
    return "".join(kept)


def read_results(path):
    try:
        data = json.loads(without_stray_commas(path.read_text()))
        if not isinstance(data.get("benchmarks"), list):
            raise ValueError('no "benchmarks" list')
        return data
    except (OSError, UnicodeDecodeError, ValueError, AttributeError) as e:
        raise UnreadableResults(f"{path}: not a readable Google Benchmark result file: {e}") from None


def medians(path):
    """run_name -> the median aggregate entry of that benchmark, with its
    standard deviation's CPU time added as "cpu_stddev"."""
    data = read_results(path)
    found, spread = {}, {}
    try:
        for entry in data["benchmarks"]:
            if entry.get("error_occurred"):
                found[entry["run_name"]] = {"error": entry.get("error_message", "error")}
            elif entry.get("run_type") == "aggregate" and entry.get("aggregate_name") == "median":
                found[entry["run_name"]] = dict(entry)
            elif entry.get("run_type") == "aggregate" and entry.get("aggregate_name") == "stddev":
                spread[entry["run_name"]] = entry["cpu_time"]
    except (KeyError, TypeError, AttributeError) as e:
        raise UnreadableResults(f"{path}: a benchmark entry lacks {e}") from None
    for name, entry in found.items():
        if name in spread:
            entry["cpu_stddev"] = spread[name]
    return data.get("context", {}), found


def ns(entry):
    if entry is None or "error" in entry:
        return None
    return entry["cpu_time"] * UNIT_NS[entry["time_unit"]]


def spread_ns(entry):
    if entry is None or "error" in entry or "cpu_stddev" not in entry:
        return None
    return entry["cpu_stddev"] * UNIT_NS[entry["time_unit"]]


def cell(value, digits=1):
    return "n/a" if value is None else f"{value:,.{digits}f}"


def table(headers, rows):
    widths = [max(len(str(x)) for x in column) for column in zip(headers, *rows)]
    line = lambda values: "  ".join(str(v).rjust(w) if i else str(v).ljust(w)
                                    for i, (v, w) in enumerate(zip(values, widths)))
    return "\n".join([line(headers), line(["-" * w for w in widths])] + [line(r) for r in rows])


def kernel_table(found):
    operations = [
        ("mulMat3", "mulMat3"),
        ("mulMat4", "mulMat4"),
        ("rotationMat3", "rotationMat3"),
        ("eulerFromMatrix", "eulerFromMatrix"),
        ("roundAngles (unbiased)", "roundAngles/0"),
        ("roundAngles (biased)", "roundAngles/1"),
        ("mulMat3 in place (walks' use)", "mulMat3InPlace"),
    ]
    rows = []
    for label, name in operations:
        kernel, eigen = found.get(f"BM_Kernel_{name}"), found.get(f"BM_Eigen_{name}")
        inlined = found.get(f"BM_EigenInline_{name}")
        k, e, i = ns(kernel), ns(eigen), ns(inlined)
        ratio = k / e if k and e else None
        noise = max(spread_ns(kernel) or 0.0, spread_ns(eigen) or 0.0)
        if ratio is None:
            verdict = "n/a"
        elif ratio <= 1.0:
            verdict = "ok"
        else:
            # Slower by less than the larger standard deviation of the two sides.
            verdict = "within noise" if k - e <= noise else "SLOWER"
        errors = [x["error"] for x in (kernel, eigen) if x and "error" in x]
        rows.append([label, cell(k, 2), cell(e, 2), cell(ratio, 3), errors[0] if errors else verdict, cell(i, 2),
                     cell(k / i if k and i else None, 3)])
    return table(["operation", "kernel ns", "Eigen ns", "kernel/Eigen", "target <= 1", "Eigen inlined ns",
                  "kernel/inlined"], rows)


def counters(entry):
    if entry is None or "error" in entry:
        return "n/a", "n/a"
    calls, fewest = entry["host_calls"], entry["min_calls"]
    # More calls than the fewest is a cost the module added; fewer, a count stated wrong.
    differs = "" if calls == fewest else " DIFFERS"
    return (f"{calls:.0f} / {fewest:.0f}{differs}", f"{entry['allocs']:g}")


def info_table(found):
    rows = []
    for depth in (1, 8, 64):
        step, walks = found.get(f"BM_InfoStep/{depth}"), found.get(f"BM_ThreeWalks/{depth}")
        cached = found.get(f"BM_InfoCachedPass/{depth}")
        s, w = ns(step), ns(walks)
        ratio = s / w if s and w else None
        calls, allocs = counters(step)
        verdict = "n/a" if ratio is None else ("ok" if ratio <= 1.10 else "over")
        rows.append([depth, cell(s), cell(w), cell(ratio, 3), verdict, cell(ns(cached)), calls, allocs])
    return table(["depth", "Info step ns", "3 walks ns", "step/walks", "<= 1.10", "cached pass ns",
                  "host calls / min", "allocs/step"], rows)


def single_table(found):
    kinds = dict.fromkeys(name.split("/")[1] for name in found if name.startswith("BM_SingleStep/"))
    rows = []
    for kind in kinds:
        for depth in (1, 8, 64):
            entry = found.get(f"BM_SingleStep/{kind}/{depth}")
            calls, allocs = counters(entry)
            rows.append([kind, depth, cell(ns(entry)), calls, allocs])
    return table(["node (all outputs)", "depth", "step ns", "host calls / min", "allocs/step"], rows)


def scene_table(found):
    rows = []
    for arg, label in ((0, "call record off (as scenehost eval)"), (1, "call record on")):
        entry = found.get(f"BM_SceneFrames/{arg}")
        if entry is None or "error" in entry:
            rows.append([label, "n/a", "n/a", "n/a", "n/a"])
            continue
        rows.append([label, cell(ns(entry) / 1e6), cell(entry["frames_per_s"], 0), cell(entry["node_steps_per_s"], 0),
                     cell(entry["evaluations_per_s"], 0)])
    return table(["1,000 frames, 50 nodes", "ms", "frames/s", "node steps/s", "evaluations/s"], rows)


def scale_runs(path):
    """The context and, per command and scene, (command, objects, nodes, median
    wall s, median CPU s, largest peak MB)."""
    try:
        data = json.loads(path.read_text())
        return data.get("context", {}), [
            (run["command"], run["objects"], run["nodes"], statistics.median(run["wall_s"]),
             statistics.median(run["cpu_s"]), max(run["peak_mb"])) for run in data["runs"]]
    except (OSError, UnicodeDecodeError, ValueError, KeyError, TypeError, AttributeError) as e:
        raise UnreadableResults(f"{path}: not a readable result file of scale.py: {e!r}") from None


def scale_table(runs):
    rows = []
    for command, objects, nodes, wall, cpu, peak in runs:
        target = SCALE_TARGETS.get(command) if objects == SCALE_TARGET_OBJECTS else None
        if target is None:
            limits, verdict = "", ""
        else:
            limits = f"{target[0]:g} s, {target[1]:g} MB"
            verdict = "ok" if cpu <= target[0] and peak <= target[1] else "OVER"
        rows.append([command, f"{objects:,}", f"{nodes:,}", cell(wall, 2), cell(cpu, 2), cell(peak, 0), limits,
                     verdict])
    return table(["command", "objects", "nodes", "wall s", "CPU s", "peak MB", "target (CPU, peak)", "verdict"], rows)


def main():
    folder = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "build/bench/results")
    try:
        context, math = medians(folder / "math.json")
        _, nodes = medians(folder / "nodes.json")
        _, scene = medians(folder / "scene.json")
        scale_context, scale = scale_runs(folder / "scale.json")
    except UnreadableResults as e:
        sys.exit(f"summarize.py: {e}")
    print(f"Benchmarks: medians of the repetitions, CPU time. Host: {context.get('host_name', '?')}, "
          f"{context.get('num_cpus', '?')} CPUs at {context.get('mhz_per_cpu', '?')} MHz, "
          f"load average {', '.join(f'{x:.2f}' for x in context.get('load_avg', []))}.")
    print("\n1. Kernel operations beside Eigen (ns per operation; Eigen called as the kernel is, and inlined)\n")
    print(kernel_table(math))
    print("\n2a. One time step of an Info node (every output) against the three chain walks alone\n")
    print(info_table(nodes))
    print("\nThe step also makes what the walks alone do not: per output the Item input's two calls and the\n"
          "delivery, and six uncached host calls (the cached pass: every output again, walks cached).\n"
          "At depth 1 that fixed part outweighs the walks.")
    print("\n2b. One time step of each single-value node (every output once); no caching by design\n")
    print(single_table(nodes))
    print("\n3. End to end through scenehost's evaluation path\n")
    print(scene_table(scene))
    load = lambda key: ", ".join(f"{x:.2f}" for x in scale_context.get(key, []))
    print("\n4. scenehost on generated scenes of studio size, each command a process of its own: medians of the\n"
          f"   runs' wall and CPU time, the largest peak resident memory (load average {load('load_avg_before')}\n"
          f"   before, {load('load_avg_after')} after); panel places only the node it opens\n")
    print(scale_table(scale))


if __name__ == "__main__":
    main()

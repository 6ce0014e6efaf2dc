#!/usr/bin/env python3
"""Turns the benchmark programs' JSON results into the table `make bench`
prints and into BENCHMARKS.md.

    report.py OUT.md BUILD_DIR RESULT.json...
"""
import datetime
import json
import os
import platform
import re
import subprocess
import sys


def load(paths):
    """Median of each benchmark (or its single run), by name; and the first context."""
    results, context = {}, None
    for path in paths:
        with open(path) as f:
            data = json.load(f)
        context = context or data.get("context", {})
        for run in data["benchmarks"]:
            if run.get("run_type") == "aggregate" and run.get("aggregate_name") != "median":
                continue
            results[run.get("run_name", run["name"])] = run
    return results, context


def nanoseconds(run):
    scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}[run.get("time_unit", "ns")]
    return run["cpu_time"] * scale


def first_line(command):
    try:
        return subprocess.run(command, capture_output=True, text=True, check=True).stdout.splitlines()[0]
    except (OSError, subprocess.CalledProcessError, IndexError):
        return "unknown"


def machine(build_dir, context):
    cpu = "unknown"
    try:
        with open("/proc/cpuinfo") as f:
            m = re.search(r"^model name\s*:\s*(.+)$", f.read(), re.M)
            cpu = m.group(1).strip() if m else cpu
    except OSError:
        pass
    system = platform.platform()
    try:
        with open("/etc/os-release") as f:
            m = re.search(r'^PRETTY_NAME="?([^"\n]+)', f.read(), re.M)
            system = m.group(1) if m else system
    except OSError:
        pass
    compiler, build_type = "c++", "unknown"
    try:
        with open(os.path.join(build_dir, "CMakeCache.txt")) as f:
            cache = f.read()
        m = re.search(r"^CMAKE_CXX_COMPILER:\w+=(.+)$", cache, re.M)
        compiler = m.group(1) if m else compiler
        m = re.search(r"^CMAKE_BUILD_TYPE:\w+=(.*)$", cache, re.M)
        build_type = m.group(1) or build_type if m else build_type
    except OSError:
        pass
    return [
        ("processor", f"{cpu}, {context.get('num_cpus', os.cpu_count())} cores"),
        ("system", system),
        ("compiler", f"{first_line([compiler, '--version'])} ({build_type})"),
        ("Google Benchmark", f"{context.get('library_build_type', '?')} library build"),
        ("load average when run", ", ".join(f"{x:.2f}" for x in context.get("load_avg", [])) or "unknown"),
        ("date", context.get("date", datetime.datetime.now().isoformat(timespec="seconds"))),
    ]


def figures(results):
    rows = []  # (figure, value, note)

    def get(name):
        if name not in results:
            sys.exit(f"report.py: no result for {name}")
        return results[name]

    rows.append(("SnapAngle, default fan (30 + k*60), worst case", f"{nanoseconds(get('BM_SnapAngle_DefaultFanWorstCase')):.1f} ns/call",
                 f"{get('BM_SnapAngle_DefaultFanWorstCase').get('rays', 0):.0f} rays scanned"))
    rows.append(("SnapAngle, Shift fan (base + k*45), worst case", f"{nanoseconds(get('BM_SnapAngle_ShiftFanWorstCase')):.1f} ns/call",
                 f"{get('BM_SnapAngle_ShiftFanWorstCase').get('rays', 0):.0f} rays scanned"))

    bare = get("BM_BareHostCalls")
    bare_ns = nanoseconds(bare)
    for keys, label in (("0", "no key"), ("1", "Shift"), ("2", "Alt")):
        drag = get(f"BM_DragMessage/keys:{keys}")
        rows.append((f"Drag message through PluginMain, {label}", f"{nanoseconds(drag):.0f} ns/message",
                     f"{drag['host_calls']:.0f} host calls; {nanoseconds(drag) / bare_ns:.2f}x the bare calls"))
    rows.append(("The same host calls made bare (no key)", f"{bare_ns:.0f} ns",
                 f"{bare['host_calls']:.0f} calls, {bare_ns / bare['host_calls']:.2f} ns each"))
    allocations = max(get(f"BM_DragMessage/keys:{k}")["allocations"] for k in "012")
    rows.append(("Heap allocations per drag message (plug-in)", f"{allocations:g}",
                 "counted by a replaced allocator around PluginMain"))

    track = {}
    for paths in (1000, 10000, 100000):
        run = get(f"BM_TrackCursor/paths:{paths}")
        track[paths] = nanoseconds(run)
        count = f"{paths:,}".replace(",", " ")
        rows.append((f"Track Cursor, {count} paths", f"{track[paths] / 1000:.2f} us/message",
                     f"{run['over_a_path'] * 100:.0f}% of pointers over a path"))
    rows.append(("Track Cursor, 100 000 against 1 000 paths", f"{track[100000] / track[1000]:.2f}x",
                 "linear growth would be 100x"))
    return rows, allocations


def table(rows):
    widths = [max(len(r[i]) for r in rows) for i in range(3)]
    head = ("figure", "value", "note")
    widths = [max(w, len(h)) for w, h in zip(widths, head)]
    line = lambda r: "| " + " | ".join(c.ljust(w) for c, w in zip(r, widths)) + " |"
    return "\n".join([line(head), "|" + "|".join("-" * (w + 2) for w in widths) + "|"] + [line(r) for r in rows])


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    out, build_dir, inputs = sys.argv[1], sys.argv[2], sys.argv[3:]
    results, context = load(inputs)
    rows, allocations = figures(results)
    text = table(rows)
    print(text)
    if allocations != 0:
        print("\nThe plug-in allocated on the heap during a drag message: it must not.")
    about = machine(build_dir, context)
    with open(out, "w") as f:
        f.write("# Benchmarks\n\n")
        f.write("What the plug-in costs per message, measured by `make bench` (Google Benchmark, the median of "
                "5 repetitions, processor time, so that other work on the machine weighs less). Written by `bench/report.py`; do not edit by hand.\n\n")
        f.write(text + "\n\n")
        f.write("- SnapAngle: the angles that make the scan visit the most rays with each fan "
                "(`bench/PluginBench.cpp` says why they are the worst).\n")
        f.write("- Drag message: \"AI Mouse Drag\" through `PluginMain` (25 suites acquired, the message routed, "
                "the line drawn, 25 suites released) against a host whose every entry returns at once "
                "(`bench/TrivialHost.cpp`); set against the same number of calls of one trivial host entry. "
                "The ratio is what the plug-in adds to the host calls it cannot avoid.\n")
        f.write("- Track Cursor: \"AI Track Cursor\" through `PluginMain` and the substitute host (tracing off) "
                "over a grid of two-point paths of constant density, at 256 random pointer positions; the "
                "host's hit test looks art up in an R-tree (Boost.Geometry). Most of each message is the "
                "substitute host's own work per host call (it formats every call for its trace), the same "
                "whatever the size of the document.\n")
        f.write("- Heap allocations: `plugin_bench` replaces malloc and its kin with counting versions and "
                "counts across the drag messages.\n\n")
        f.write("## Machine\n\n")
        for key, value in about:
            f.write(f"- {key}: {value}\n")
        f.write("\n## Reproduce\n\n")
        f.write("    make bench\n\n")
        f.write("installs libbenchmark-dev when it is missing, builds `build/bench` (Release), runs "
                "`plugin_bench` and `track_cursor_bench` with `--benchmark_repetitions=5`, prints this table "
                "and rewrites this file. The raw results are in `build/bench/*.json`.\n")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""One table of ratios from the Google Benchmark JSON files in a folder.

Each routine is set against its baseline from the same program and the same
run, medians of the repetitions, so that the machine's speed and load cancel
out. A ratio of 1.30 means the routine takes 30 % longer than its baseline.

How a baseline is recognised (the convention the benchmark programs follow):
  - its name holds "Baseline", "Bare" or "Empty", or
  - its name is a C library function: BM_Snprintf, BM_Strncpy, BM_Strtok_Lines ...
Every other benchmark is a routine. A routine is paired with the nearest
baseline in registration order that has the same arguments ("/1024") and, when
either name has one, the same variant after the first underscore ("_Lines").
A baseline that no routine chose is paired with its nearest routine, so every
measurement appears in the table.

The pairs this gives for the programs in bench/ today:
  TextFcns_bench  BM_FormatIntoBuffer      vs BM_Snprintf
                  BM_CopyBounded/1024, /100 vs BM_Strncpy/1024, /100
                  BM_ParseHex              vs BM_Strtoul
  Formats_bench   BM_FormatPosition        vs BM_SnprintfBaseline
  Config_bench    BM_Tokenise_RevisionStrings vs BM_Strtok_RevisionStrings
                  BM_Tokenise_Lines        vs BM_Strtok_Lines
                  BM_ParseConfigString     vs BM_BareParse
  Shm_bench       BM_AttachDetach          vs BM_BareWithVersionAndCountTouched
                  BM_AttachDetach          vs BM_BareOpenMapUnmapClose
  Dialog_bench    BM_TickNoChange          vs BM_BaselineFiveTexts
                  BM_TickAllPicturesChange vs BM_BaselineFiveTexts
  Core_bench      BM_CoreTickNoChange      vs BM_CoreTickBaselineBlockWork
                  BM_CoreTickAllPicturesChange vs BM_CoreTickBaselineBlockWork
  bench-window.sh the running pedestal window (CPU time, resident memory) vs
                  each floor it measures beside it: an empty dialog, and an
                  empty dialog with one line of text

Usage: bench_table.py RESULTS_DIR  (files NAME.json; window.txt, the output of
bench-window.sh, if present)
"""

import json
import os
import re
import sys

LIBC = {
    "memcpy", "memset", "snprintf", "sprintf", "strcat", "strchr", "strcmp", "strcpy",
    "strcspn", "strlen", "strncat", "strncpy", "strnlen", "strspn", "strstr", "strtod",
    "strtok", "strtol", "strtoul", "vsnprintf",
}
BASELINE_WORDS = re.compile(r"baseline|bare|empty", re.IGNORECASE)


def split_name(run_name):
    """BM_Tokenise_Lines/64 -> ("Tokenise", "Lines", "/64")."""
    base, _, args = run_name.partition("/")
    base = base[3:] if base.startswith("BM_") else base
    stem, _, variant = base.partition("_")
    return stem, variant, ("/" + args if args else "")


def is_baseline(run_name):
    stem, _, _ = split_name(run_name)
    return bool(BASELINE_WORDS.search(run_name)) or stem.lower() in LIBC


def medians(path):
    """{run_name: (real_ns, cpu_ns)} in registration order, and the context."""
    data = json.load(open(path))
    scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
    medians_of, singles = {}, {}
    for b in data.get("benchmarks", []):
        if b.get("error_occurred"):
            continue
        unit = scale[b.get("time_unit", "ns")]
        value = (b["real_time"] * unit, b["cpu_time"] * unit)
        name = b.get("run_name", b["name"])
        if b.get("run_type") == "aggregate":
            if b.get("aggregate_name") == "median":
                medians_of[name] = value
        else:
            singles.setdefault(name, value)  # a run without repetitions
    order = list(dict.fromkeys(list(singles) + list(medians_of)))
    out = {n: medians_of.get(n, singles.get(n)) for n in order}
    return out, data.get("context", {})


def pairs(names):
    baselines = [n for n in names if is_baseline(n)]
    routines = [n for n in names if not is_baseline(n)]
    order = {n: i for i, n in enumerate(names)}

    def compatible(r, b):
        _, rv, ra = split_name(r)
        _, bv, ba = split_name(b)
        return ra == ba and (rv == bv or not (rv or bv))

    def nearest(item, candidates):
        fits = [c for c in candidates if compatible(item, c) or compatible(c, item)]
        if not fits:
            # No exact variant: the arguments must still agree.
            fits = [c for c in candidates if split_name(c)[2] == split_name(item)[2]]
        return min(fits, key=lambda c: (abs(order[c] - order[item]), order[c]), default=None)

    result = []
    used = set()
    for r in routines:
        b = nearest(r, baselines)
        if b:
            result.append((r, b))
            used.add(b)
    for b in baselines:
        if b not in used:
            r = nearest(b, routines)
            if r:
                result.append((r, b))
    return sorted(result, key=lambda p: (order[p[0]], order[p[1]]))


def window_rows(path):
    """bench-window.sh's table: one line per process, name then CPU
    microseconds then RSS kB; the pedestal against every other line."""
    values = {}
    for line in open(path):
        m = re.match(r"^(\S.*?)\s+(\d+)\s+(\d+)\s*$", line)
        if m:
            values[m.group(1)] = (int(m.group(2)), int(m.group(3)))
    if "pedestal" not in values:
        return []
    pc, pr = values.pop("pedestal")
    rows = []
    for floor, (fc, fr) in values.items():
        rows.append(("bench-window", "running window CPU", floor, pc * 1e3, fc * 1e3, "us"))
        rows.append(("bench-window", "running window RSS", floor, pr, fr, "kB"))
    return rows


def fmt_time(ns):
    for unit, div in (("s", 1e9), ("ms", 1e6), ("us", 1e3)):
        if ns >= div:
            return f"{ns / div:.3g} {unit}"
    return f"{ns:.3g} ns"


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    rows = []
    contexts = []
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".json"):
            continue
        program = name[:-5]
        values, context = medians(os.path.join(folder, name))
        contexts.append(context)
        for r, b in pairs(list(values)):
            rows.append((program, r, b, values[r][0], values[b][0], values[r][1], values[b][1]))
    window = os.path.join(folder, "window.txt")
    extra = window_rows(window) if os.path.exists(window) else []

    widths = (14, 34, 36)
    head = f"{'program':<{widths[0]}} {'routine':<{widths[1]}} {'baseline':<{widths[2]}}"
    print(f"{head} {'routine':>10} {'baseline':>10} {'ratio':>6} {'cpu ratio':>9}")
    print("-" * (len(head) + 39))
    for program, r, b, rr, br, rc, bc in rows:
        ratio = rr / br if br > 0 else float("nan")
        cpu = rc / bc if bc > 0 else float("nan")
        print(f"{program:<{widths[0]}} {r:<{widths[1]}} {b:<{widths[2]}} "
              f"{fmt_time(rr):>10} {fmt_time(br):>10} {ratio:>6.2f} {cpu:>9.2f}")
    for program, r, b, rv, bv, unit in extra:
        ratio = rv / bv if bv > 0 else float("nan")
        shown = (fmt_time(rv), fmt_time(bv)) if unit == "us" else (f"{rv} kB", f"{bv} kB")
        print(f"{program:<{widths[0]}} {r:<{widths[1]}} {b:<{widths[2]}} "
              f"{shown[0]:>10} {shown[1]:>10} {ratio:>6.2f} {'':>9}")
    if not rows and not extra:
        print("(no benchmark results)")
        return 1
    print()
    print("Times are medians of the repetitions (real time; the last column compares CPU time).")
    if contexts:
        c = contexts[0]
        build = {c.get("library_build_type", "?")}
        print(f"Google Benchmark context: {c.get('num_cpus', '?')} CPUs at "
              f"{c.get('mhz_per_cpu', '?')} MHz, library build {', '.join(sorted(build))}, "
              f"load average {', '.join(f'{x:.2f}' for x in c.get('load_avg', []))}, "
              f"started {c.get('date', '?')}")
    return 0


if __name__ == "__main__":
    sys.exit(main())

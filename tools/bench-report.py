#!/usr/bin/env python3
"""Runs every benchmark and prints one table: each figure next to its
baseline and the ratio between them.
    tools/bench-report.sh          (after tools/test.sh, or any native build; the
                                    Windows one is given its benchmarks here)
The soak part runs RICORDEX_SOAK_TICKS scheduler ticks (3,000 unless set;
100,000 is the full run, about an hour under Wine)."""
import json
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
NATIVE = os.path.join(ROOT, "build", "native", "bench")
WINDOWS = os.path.join(ROOT, "build", "windows", "bench")
WINE = os.path.join(ROOT, "tools", "wine-run.sh")


def gbench(name):
    out = subprocess.run([os.path.join(NATIVE, name), "--benchmark_format=json"], capture_output=True, text=True,
                         check=True).stdout
    return {b["name"]: b for b in json.loads(out)["benchmarks"]}


def build_wine_benchmarks():
    """The Windows build leaves its benchmarks out unless asked for them: its
    folder is configured with them and they are built (the program too)."""
    quiet = {"cwd": ROOT, "check": True, "stdout": subprocess.DEVNULL}
    subprocess.run(["cmake", "--preset", "windows", "-DRICORDEX_BENCH=ON"], **quiet)
    subprocess.run(["nice", "cmake", "--build", "--preset", "windows", "--target", "list_sort_wine", "startup_wine"],
                   **quiet)


def wine(name):
    return subprocess.run([WINE, os.path.join(WINDOWS, name)], capture_output=True, text=True, check=True).stdout


rows = []  # (what, figure, unit, baseline name, baseline, target)
build_wine_benchmarks()
archive = gbench("archive_bench")
for n, label in ((100000, "100k"), (1000000, "1M")):
    read = archive[f"BM_PlainReadAndSort/{n}"]["real_time"]
    load = archive[f"BM_Load/{n}"]
    write = archive[f"BM_PlainWrite/{n}"]["real_time"]
    save = archive[f"BM_Save/{n}"]["real_time"]
    rows.append((f"load {label} events", load["real_time"], "ms", "plain read + sort", read, "4x"))
    rows.append((f"save {label} events, file in the list's order", save, "ms", "plain write", write,
                 "1.5x at 1M"))
    rows.append((f"memory after loading {label}", load["rss_MB"], "MB", "", None, "400 MB at 1M"))
shuffled = archive.get("BM_SaveFromShuffledFile/1000000")
if shuffled:
    # Loaded from a file in another order (sorted by another column): the
    # rows' texts lie spread in memory in the list's order.
    rows.append(("save 1M events, file in another order", shuffled["real_time"], "ms", "plain write",
                 archive["BM_PlainWrite/1000000"]["real_time"], "1.5x at 1M"))
merge = archive.get("BM_Merge/100000")
if merge:
    rows.append(("merge 100k rows with 100k", merge["real_time"], "ms", "load 100k",
                 archive["BM_Load/100000"]["real_time"], "2x"))
alerts = gbench("alerts_bench")
every_row = alerts["BM_TickEveryRowExamined/100000"]["real_time"]
tick_us = {n: alerts[f"BM_TickNoneDue/{n}"]["real_time"] for n in (100000, 1000000)}
rows.append(("tick over 100k events, none due", tick_us[100000], "us", "", None, "100 us (0.1 ms)"))
rows.append(("tick over 1M events, none due", tick_us[1000000], "us", "the 100k tick", tick_us[100000], "2x"))
rows.append(("tick over 100k, every row examined", every_row, "ms", "", None, "(the measure before the index)"))
paint = alerts["BM_PaintOneScreen"]
rows.append(("status of one screen (20 rows)", paint["real_time"], "us", "", None,
             f"{paint['allocs_per_row']:.0f} allocations per row"))
for line in wine("list_sort_wine.exe").splitlines():
    m = re.match(r"sort 100,000 rows by (.*?)\s+([\d.]+) ms", line)
    if m:
        rows.append((f"sort 100k by {m.group(1)} (Wine)", float(m.group(2)), "ms", "", None, "300 ms"))

# Start-up: the minimum of the interleaved starts is the steady figure (the
# median beside it in the benchmark's own output).
starts, memory, marks = {}, {}, []
for line in wine("startup_wine.exe").splitlines():
    if line.startswith("mark, "):
        marks.append(line[len("mark, "):])
    m = re.match(r"(.+?)\s+min\s+([\d.]+) ms\s+median\s+([\d.]+) ms", line)
    if m:
        starts[m.group(1).strip()] = (float(m.group(2)), float(m.group(3)))
    m = re.match(r"private memory, (.+?)\s+(\d+) KiB", line)
    if m:
        memory[m.group(1).strip()] = float(m.group(2))
# Each start-up row gives the minimums and their ratio; its label the
# medians and theirs, which noise moves less.
def start_row(what, started, base_name, base, target):
    medians = f" (medians {started[1]:.0f}/{base[1]:.0f} = {started[1] / base[1]:.2f}x)" if base[1] else ""
    rows.append((what + medians, started[0], "ms", base_name, base[0], target))


minimal = starts.get("minimal program, one window", (None, None))
for events in (0, 10000, 100000):
    listed = starts.get(f"minimal program with a list, {events} rows", (None, None))
    shown = starts.get(f"Ricordex, {events} events")
    tray = starts.get(f"Ricordex, {events} events, tray only")
    if shown:
        start_row(f"start-up, {events:,} events", shown, "minimal with a list", listed,
                  "1.3x at 10k" if events == 10000 else "")
    if tray:
        start_row(f"start to the tray, {events:,} events", tray, "minimal, one window", minimal,
                  "1.2x at 10k" if events == 10000 else "")
idle = memory.get("Ricordex idle in the notification area, 100 events")
if idle:
    rows.append(("private memory, idle in the tray, 100 events", idle, "KiB", "minimal, one window",
                 memory.get("minimal program, one window"), "2x"))

# The soak: private memory and live handles at the end against after the
# first minute.
soak = subprocess.run([os.path.join(ROOT, "tools", "soak.sh"), os.environ.get("RICORDEX_SOAK_TICKS", "3000")],
                      capture_output=True, text=True).stdout
m = re.search(r"soak: (\d+) ticks .*?after (\d+) ticks / at the end: private memory (\d+) / (\d+) KiB, "
              r"live USER handles (\d+) / (\d+), live GDI handles (\d+) / (\d+)", soak)
if m:
    ticks, warm = int(m.group(1)), int(m.group(2))
    for what, first, last, unit in (("private memory", 3, 4, "KiB"), ("live USER handles", 5, 6, ""),
                                    ("live GDI handles", 7, 8, "")):
        rows.append((f"soak {ticks:,} ticks: {what}", float(m.group(last)), unit, f"after {warm:,} ticks",
                     float(m.group(first)), "small constant"))

if marks:
    print("Where a start goes (milliseconds since the process was created):")
    for mark in marks:
        print("  " + mark)
    print()
print(f"{'figure':60} {'value':>10}  {'baseline':>22}  {'ratio':>6}  target")
for what, value, unit, base_name, base, target in rows:
    baseline = f"{base_name} {base:.3f}" if base and base < 1 else f"{base_name} {base:.1f}" if base else ""
    ratio = f"{value / base:.2f}x" if base else ""
    shown = f"{value:8.3f}" if value < 1 else f"{value:8.1f}"
    print(f"{what:60} {shown} {unit:2}  {baseline:>22}  {ratio:>6}  {target}")

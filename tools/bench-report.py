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
    subprocess.run(["cmake", "--build", "--preset", "windows", "--target", "list_sort_wine", "startup_wine"], **quiet)


def wine(name):
    return subprocess.run([WINE, os.path.join(WINDOWS, name)], capture_output=True, text=True, check=True).stdout


rows = []  # (what, figure, unit, baseline name, baseline, target)
archive = gbench("archive_bench")
for n, label in ((100000, "100k"), (1000000, "1M")):
    read = archive[f"BM_PlainReadAndSort/{n}"]["real_time"]
    load = archive[f"BM_Load/{n}"]
    write = archive[f"BM_PlainWrite/{n}"]["real_time"]
    save = archive[f"BM_Save/{n}"]["real_time"]
    rows.append((f"load {label} events", load["real_time"], "ms", "plain read + sort", read, "4x"))
    rows.append((f"save {label} events", save, "ms", "plain write", write, "2x"))
    rows.append((f"memory after loading {label}", load["rss_MB"], "MB", "", None, "400 MB at 1M"))
alerts = gbench("alerts_bench")
for n, label in ((10000, "10k"), (100000, "100k")):
    rows.append((f"tick over {label} events", alerts[f"BM_TickNoneDue/{n}"]["real_time"], "ms", "", None, "20 ms at 100k"))
paint = alerts["BM_PaintOneScreen"]
rows.append(("status of one screen (20 rows)", paint["real_time"], "us", "", None,
             f"{paint['allocs_per_row']:.0f} allocations per row"))
build_wine_benchmarks()
for line in wine("list_sort_wine.exe").splitlines():
    m = re.match(r"sort 100,000 rows by (.*?)\s+([\d.]+) ms", line)
    if m:
        rows.append((f"sort 100k by {m.group(1)} (Wine)", float(m.group(2)), "ms", "", None, "300 ms"))
minimal = None
for line in wine("startup_wine.exe").splitlines():
    m = re.match(r"minimal program, one window\s+([\d.]+) ms", line)  # with the same manifest
    if m:
        minimal = float(m.group(1))
    m = re.match(r"minimal program with a list,\s+(\d+) rows\s+([\d.]+) ms", line)
    if m:
        rows.append((f"start-up, list of {int(m.group(1)):,} rows (Wine)", float(m.group(2)), "ms",
                     "minimal, same manifest", minimal, ""))
    m = re.match(r"Ricordex,\s+(\d+) events\s+([\d.]+) ms", line)
    if m:
        rows.append((f"start-up, {int(m.group(1)):,} events (Wine)", float(m.group(2)), "ms", "minimal, same manifest",
                     minimal, "1.5x at 10k"))
    m = re.match(r"Ricordex,\s+(\d+) events, tray only\s+([\d.]+) ms", line)
    if m:
        rows.append((f"start-up to the tray, {int(m.group(1)):,} events", float(m.group(2)), "ms",
                     "minimal, same manifest", minimal, ""))

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

print(f"{'figure':38} {'value':>10}  {'baseline':>22}  {'ratio':>6}  target")
for what, value, unit, base_name, base, target in rows:
    baseline = f"{base_name} {base:.1f}" if base else ""
    ratio = f"{value / base:.2f}x" if base else ""
    print(f"{what:38} {value:8.1f} {unit:2}  {baseline:>22}  {ratio:>6}  {target}")

#!/usr/bin/env bash
# Runs every benchmark and prints one table (see tools/bench-report.py), on
# a virtual display when there is none. After tools/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/display.sh
trap '[ -n "${RICORDEX_XVFB_PID:-}" ] && kill "$RICORDEX_XVFB_PID" 2>/dev/null || true' EXIT
python3 tools/bench-report.py

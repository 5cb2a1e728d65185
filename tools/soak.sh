#!/usr/bin/env bash
# Runs the soak test for a number of scheduler ticks over 10,000 events
# (100,000 by default: about an hour under Wine; CI runs 1,000), after a
# Windows build:
#   tools/soak.sh [ticks]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/display.sh
trap '[ -n "${RICORDEX_XVFB_PID:-}" ] && kill "$RICORDEX_XVFB_PID" 2>/dev/null || true' EXIT
RICORDEX_SOAK_TICKS=${1:-100000} tools/wine-run.sh build/windows/tests/win/soak_tests.exe

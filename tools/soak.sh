#!/usr/bin/env bash
# Runs the soak test for a number of scheduler ticks over 10,000 events
# (100,000 by default: about an hour under Wine; CI runs 1,000), after a
# Windows build:
#   tools/soak.sh [ticks]
# Or the shared-archive soak, after a native build: two PCs saving one
# archive in turn, with random changes, against a model (100,000 saves by
# default; CI runs 1,000):
#   tools/soak.sh archive [saves]
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = archive ]; then
  RICORDEX_ARCHIVE_SOAK_SAVES=${2:-100000} exec build/native/tests/app_tests --gtest_filter='SharedArchive.Soak*'
fi
source tools/display.sh
trap '[ -n "${RICORDEX_XVFB_PID:-}" ] && kill "$RICORDEX_XVFB_PID" 2>/dev/null || true' EXIT
RICORDEX_SOAK_TICKS=${1:-100000} tools/wine-run.sh build/windows/tests/win/soak_tests.exe

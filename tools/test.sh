#!/usr/bin/env bash
# Runs every test: the portable layers natively, then the whole program and
# its tests built for Windows and run under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

cmake --preset windows >/dev/null
cmake --build --preset windows
# Whatever this run starts ends with it: the Wine session of the tests'
# prefix (its desktop and services) and the virtual display.
stop_what_was_started() {
  (source tools/wine-env.sh && wineserver -k 2>/dev/null) || true
  if [ "${RICORDEX_XVFB_STARTED:-}" = 1 ]; then kill "$RICORDEX_XVFB_PID" 2>/dev/null || true; fi
}
trap stop_what_was_started EXIT
source tools/display.sh
ctest --preset windows

# The readers of untrusted input, fuzzed for a bounded time.
tools/fuzz.sh 45

# The release: the portable zip and the installer, installed and removed in a
# fresh prefix.
tools/package.sh >/dev/null
tests/release/installer_test.sh

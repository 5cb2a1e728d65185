#!/usr/bin/env bash
# Builds Ricordex for Windows and starts it under Wine, in a virtual desktop
# with a taskbar and notification area. The program and its archive live in
# build/run; its settings in the prefix build/wineprefix-run.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

cmake --preset windows >/dev/null
cmake --build --preset windows --target Ricordex

mkdir -p build/run
cp -r build/windows/src/ui/Ricordex.exe build/windows/src/ui/Ricordex.html build/windows/src/ui/Suoni build/run/

source tools/display.sh
if [ "${RICORDEX_XVFB_STARTED:-}" = 1 ]; then
  echo "No display was found: Ricordex runs on the virtual display $DISPLAY."
  echo "See it with:  DISPLAY=$DISPLAY import -window root shot.png   (then open shot.png)"
fi

export WINEPREFIX="$PWD/build/wineprefix-run"
tools/wine-prefix.sh
# The virtual desktop shows a taskbar only when asked to.
tools/wine-run.sh reg add 'HKCU\Software\Wine\Explorer\Desktops\Ricordex' /v EnableShell /t REG_DWORD /d 1 /f >/dev/null 2>&1
cd build/run
exec ../../tools/wine-run.sh explorer /desktop=Ricordex,1024x700 Ricordex.exe

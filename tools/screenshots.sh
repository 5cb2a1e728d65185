#!/usr/bin/env bash
# Takes screenshots of Ricordex under Wine, in a prefix of its own, at 96 and
# 144 DPI: the main window with sample events, the event editor, the tray
# menu and the options dialog. Writes build/screenshots/*.png.
#   tools/screenshots.sh            (after tools/run.sh or a windows build)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build/screenshots
mkdir -p "$out"
[ -f build/windows/src/ui/Ricordex.exe ] || { cmake --preset windows >/dev/null && cmake --build --preset windows --target Ricordex; }
# A display of its own, large enough for the window at 144 DPI.
unset DISPLAY
RICORDEX_SCREEN=1700x1100 source tools/display.sh

shoot() {  # dpi
  local dpi=$1 folder=$root/build/screenshots/run-$1
  export WINEPREFIX=$root/build/wineprefix-shots
  tools/wine-prefix.sh >/dev/null
  tools/wine-run.sh reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  tools/wine-run.sh reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  tools/wine-run.sh reg delete 'HKCU\Software\Ricordex' /f >/dev/null 2>&1 || true
  local width=$((1024 * dpi / 96)) height=$((700 * dpi / 96))
  tools/wine-run.sh reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "${width}x${height}" /f >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  rm -rf "$folder" && mkdir -p "$folder"
  cp build/windows/src/ui/Ricordex.exe "$folder/"
  python3 tools/sample-archive.py "$folder/Ricordex.psc"
  (cd "$folder" && "$root/tools/wine-run.sh" Ricordex.exe >/dev/null 2>&1 &)
  sleep 5
  local scale=$((dpi * 100 / 96))
  import -window root "$out/main-$dpi.png"
  # Everything else through the tray menu, which opens above the icon at
  # the right end of the taskbar: its items are about 18 pixels high.
  local trayX=$((width - 11 * scale / 100)) trayY=$((height - 10 * scale / 100))
  menu() {  # item from the bottom: 1 "Opzioni", 2 "Nuova Scadenza"
    xdotool mousemove "$trayX" "$trayY" click 3
    sleep 1.5
    if [ "$1" = 0 ]; then return; fi
    xdotool mousemove $((trayX - 80 * scale / 100)) $((trayY - (4 + 18 * $1) * scale / 100)) click 1
    sleep 1.5
  }
  menu 0
  import -window root "$out/tray-menu-$dpi.png"
  xdotool key Escape
  sleep 0.5
  menu 2
  import -window root "$out/editor-$dpi.png"
  xdotool key Escape
  sleep 0.5
  menu 1
  import -window root "$out/options-$dpi.png"
  xdotool key Escape
  wineserver -k 2>/dev/null || true
  # Only the desktop, not the whole virtual screen.
  for shot in main editor options tray-menu; do
    convert "$out/$shot-$dpi.png" -crop "${width}x${height}+0+0" +repage "$out/$shot-$dpi.png"
  done
}

shoot 96
shoot 144
[ -n "${RICORDEX_XVFB_PID:-}" ] && kill "$RICORDEX_XVFB_PID" 2>/dev/null || true
echo "Screenshots in $out"

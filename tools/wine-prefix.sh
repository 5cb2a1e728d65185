#!/usr/bin/env bash
# Makes the build's Wine prefix when it does not exist yet, and waits until
# Wine has finished setting it up.
set -eu
source "$(dirname "$0")/wine-env.sh"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix $WINEPREFIX"
  wineboot --init >/dev/null 2>&1
fi
# Every program runs in one virtual desktop with a taskbar and a
# notification area, as on Windows, instead of as loose X windows; also in a
# prefix that another Wine command of the project made first.
if ! grep -q 'Software\\\\Wine\\\\Explorer\\\\Desktops\\\\Default\]' "$WINEPREFIX/user.reg" 2>/dev/null; then
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x700 /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops\Default' /v EnableShell /t REG_DWORD /d 1 /f >/dev/null 2>&1
fi
# Debian's Wine does not look for the fonts of its fonts-wine package:
# without Tahoma and Marlett the captions fall back to other faces and the
# close boxes show a letter. The prefix gets copies of its own.
if [ -d /usr/share/wine/fonts ] && [ -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
  cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
wineserver --wait
echo "Wine prefix ready: $WINEPREFIX"

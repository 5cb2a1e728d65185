#!/usr/bin/env bash
# The installer as a Windows user meets it, in a fresh Wine prefix: a silent
# install without elevation, the program started from where the shortcut
# points, its archive written beside it, a second start that leaves one
# process, and the uninstaller removing the files and the autostart value
# (and keeping the archive, the silent answer to its question).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
setup=$(ls "$root"/build/dist/Ricordex-*-setup.exe 2>/dev/null | head -1)
[ -n "$setup" ] || { echo "no installer: run tools/package.sh"; exit 1; }
export WINEPREFIX=$root/build/wineprefix-install
rm -rf "$WINEPREFIX"
"$root/tools/wine-prefix.sh" >/dev/null
wine=("$root/tools/wine-run.sh")
passed=0 failed=0
check() {  # description, command...
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok: $what"; else failed=$((failed + 1)); echo "FAILED: $what"; fi
}

"${wine[@]}" "$(winepath -w "$setup" 2>/dev/null || echo "$setup")" /S
wineserver -w
folder=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local/Programs/Ricordex 2>/dev/null | head -1)
check "installed in the user's programs folder" test -f "$folder/Ricordex.exe"
check "sounds and help page beside it" test -f "$folder/Suoni/1.wav" -a -f "$folder/Ricordex.html"
check "uninstaller beside it" test -f "$folder/Uninstall.exe"
check "Start menu shortcut" bash -c "ls '$WINEPREFIX'/drive_c/users/*/AppData/Roaming/Microsoft/Windows/'Start Menu'/Programs/Ricordex.lnk >/dev/null 2>&1"
run_value=$("${wine[@]}" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Ricordex 2>/dev/null | tr -d '\r')
check "autostart value written" grep -q 'Ricordex.exe' <<<"$run_value"

program=$(cd "$folder" && pwd)
(cd "$program" && "${wine[@]}" Ricordex.exe >/dev/null 2>&1 &)
for _ in $(seq 100); do [ -f "$program/Ricordex.psc" ] && break; sleep 0.1; done
check "the program writes its archive beside itself" test -f "$program/Ricordex.psc"
(cd "$program" && "${wine[@]}" Ricordex.exe >/dev/null 2>&1)
count=$(pgrep -c -x Ricordex.exe)
check "a second start leaves one process" test "$count" = 1

"${wine[@]}" "$(winepath -w "$program/Uninstall.exe" 2>/dev/null)" /S "_?=$(winepath -w "$program" 2>/dev/null)"
wineserver -w
check "the uninstaller removes the program" test ! -f "$program/Ricordex.exe"
check "and the sounds" test ! -d "$program/Suoni"
check "and keeps the archive" test -f "$program/Ricordex.psc"
run_value=$("${wine[@]}" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Ricordex 2>&1 | tr -d '\r')
check "and the autostart value" bash -c "! grep -q 'Ricordex.exe' <<<\"$run_value\""
wineserver -k 2>/dev/null
echo "installer: $passed passed, $failed failed"
[ "$failed" = 0 ]

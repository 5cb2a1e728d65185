#!/usr/bin/env bash
# The installer as a Windows user meets it, in a fresh Wine prefix: a silent
# install without elevation, the program started from where the shortcut
# points, its archive written beside it, a second start that leaves one
# process, the uninstaller waiting for the program's question or stopping
# with nothing removed, then removing the files and the autostart value
# (and keeping the archive and the settings, the silent answers).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
setup=$(ls "$root"/build/dist/Ricordex-*-setup.exe 2>/dev/null | head -1)
[ -n "$setup" ] || { echo "no installer: run tools/package.sh"; exit 1; }
export WINEPREFIX=$root/build/wineprefix-install
rm -rf "$WINEPREFIX"
"$root/tools/wine-prefix.sh" >/dev/null
wine=("$root/tools/wine-run.sh")
# A desktop of its own name, told apart from any other Wine session's.
"${wine[@]}" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Installer /f >/dev/null 2>&1
"${wine[@]}" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Installer /d 1024x700 /f >/dev/null 2>&1
"${wine[@]}" reg add 'HKCU\Software\Wine\Explorer\Desktops\Installer' /v EnableShell /t REG_DWORD /d 1 /f >/dev/null 2>&1
# The Ricordex processes of this prefix only.
programs() {
  for pid in $(pgrep -x Ricordex.exe); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
}
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
count=$(programs | wc -l)
check "a second start leaves one process" test "$count" = 1

# A window of the program on the desktop, by its title; waits up to 20 s.
wait_window() { for _ in $(seq 100); do xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && return 0; sleep 0.2; done; return 1; }
wait_no_window() { for _ in $(seq 100); do xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0; sleep 0.2; done; return 1; }
add_event() {  # with the keyboard, as a user: Tab to "Nuovo Evento", Space, Enter on "Conferma"
  wait_window 'Ricordex - promemoria delle scadenze'
  xdotool windowfocus --sync "$(xdotool search --name '^Installer - Wine desktop$' | head -1)"
  xdotool key Tab; sleep 0.5; xdotool key space
  wait_window Inserisci && sleep 0.5 && xdotool key Return
  wait_no_window Inserisci
}
uninstall() { "${wine[@]}" "$(winepath -w "$program/Uninstall.exe" 2>/dev/null)" /S "_?=$(winepath -w "$program" 2>/dev/null)"; }
wait_for_end() { for _ in $(seq 100); do [ -z "$(programs)" ] && return 0; sleep 0.2; done; return 1; }

# The uninstaller meets the program with a change not saved: the program
# asks whether to save, and the uninstaller waits for the answer; left
# unanswered for a minute, it stops and removes nothing.
add_event
uninstall && rc=0 || rc=$?
wait_window 'Conferma Modifiche'
check "with the question unanswered the uninstaller stops (status $rc)" test "$rc" != 0
check "and removes nothing" test -f "$program/Ricordex.exe" -a -f "$program/Suoni/1.wav" -a -f "$program/Ricordex.html"
check "the program still waits for its answer" test -n "$(programs)"
xdotool key Return  # "Sì"
check "the answer saves and the program ends" wait_for_end
check "with the new event" test "$(stat -c %s "$program/Ricordex.psc")" = 164

(cd "$program" && "${wine[@]}" Ricordex.exe >/dev/null 2>&1 &)
add_event
(uninstall; echo $? >"$WINEPREFIX/uninstall-status") &
wait_window 'Conferma Modifiche' && sleep 0.5
xdotool key Return  # "Sì", while the uninstaller waits
for _ in $(seq 450); do [ -f "$WINEPREFIX/uninstall-status" ] && break; sleep 0.2; done
timeout 60 wineserver -w || wineserver -k
check "answered, the uninstall goes on and succeeds" test "$(cat "$WINEPREFIX/uninstall-status" 2>/dev/null)" = 0
check "the uninstaller removes the program" test ! -f "$program/Ricordex.exe"
check "and the sounds" test ! -d "$program/Suoni"
check "and keeps the archive, saved with both events" test "$(stat -c %s "$program/Ricordex.psc")" = 328
settings=$("${wine[@]}" reg query 'HKCU\Software\Ricordex' 2>&1 | tr -d '\r')
check "and the settings (the silent answer)" grep -q 'Dati' <<<"$settings"
run_value=$("${wine[@]}" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Ricordex 2>&1 | tr -d '\r')
check "and the autostart value" bash -c "! grep -q 'Ricordex.exe' <<<\"$run_value\""
wineserver -k 2>/dev/null
echo "installer: $passed passed, $failed failed"
[ "$failed" = 0 ]

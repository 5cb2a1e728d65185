#!/usr/bin/env bash
# Sourced: makes sure DISPLAY names a running X server, starting a virtual
# one (Xvfb) when there is none.
if [ -z "${DISPLAY:-}" ] || ! xdotool getdisplaygeometry >/dev/null 2>&1; then
  for n in $(seq 90 120); do
    if [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 "${RICORDEX_SCREEN:-1280x800}x24" -nolisten tcp >/dev/null 2>&1 &
      export RICORDEX_XVFB_PID=$!
      export DISPLAY=":$n"
      for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
      done
      export RICORDEX_XVFB_STARTED=1
      break
    fi
  done
fi

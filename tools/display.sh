#!/usr/bin/env bash
# Sourced: makes sure DISPLAY names a running X server, starting a virtual
# one (Xvfb) when there is none.
if [ -z "${DISPLAY:-}" ] || ! xdotool getdisplaygeometry >/dev/null 2>&1; then
  for n in $(seq 90 400); do
    lock="/tmp/.X$n-lock"
    # A lock left by a server that is gone (a machine restarted with /tmp
    # kept) is free: Xvfb takes such a display over.
    if [ -e "$lock" ] && kill -0 "$(tr -d ' ' < "$lock" 2>/dev/null)" 2>/dev/null; then continue; fi
    if [ -e "$lock" ] && [ ! -w "$lock" ]; then continue; fi
    Xvfb ":$n" -screen 0 "${RICORDEX_SCREEN:-1280x800}x24" -nolisten tcp >/dev/null 2>&1 &
    export RICORDEX_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
      DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1 && break
      sleep 0.1
    done
    if DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then
      export RICORDEX_XVFB_STARTED=1
      break
    fi
    # Taken meanwhile by another run: the next one.
    kill "$RICORDEX_XVFB_PID" 2>/dev/null || true
    unset RICORDEX_XVFB_PID DISPLAY
  done
fi

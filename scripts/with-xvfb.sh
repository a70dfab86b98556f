#!/usr/bin/env bash
# Runs a command with DISPLAY set to a fresh Xvfb server, which ends with it.
set -euo pipefail

display_number=${XVFB_DISPLAY:-}
if [ -z "$display_number" ]; then
  for candidate in $(seq 90 140); do
    if [ ! -e "/tmp/.X${candidate}-lock" ] && [ ! -e "/tmp/.X11-unix/X${candidate}" ]; then
      display_number=$candidate
      break
    fi
  done
fi
[ -n "$display_number" ] || { echo "with-xvfb.sh: no free display number" >&2; exit 1; }

Xvfb ":$display_number" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true' EXIT

export DISPLAY=":$display_number"
for _ in $(seq 1 100); do
  xdpyinfo >/dev/null 2>&1 && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "with-xvfb.sh: Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
xdpyinfo >/dev/null 2>&1 || { echo "with-xvfb.sh: Xvfb did not answer" >&2; exit 1; }

"$@"

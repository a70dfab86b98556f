#!/usr/bin/env bash
# Runs a command with DISPLAY set to a fresh Xvfb server, which ends with it.
# The server chooses a free display number itself (-displayfd): it claims
# the number by binding its socket, so runs started at the same moment (by
# several people on one machine) never share a server, and none loses its
# server when another ends. XVFB_DISPLAY asks for a given number instead.
# The server does not reset when its last client leaves (-noreset): a program
# that connects while it resets (right after the previous test's program has
# gone) is dropped, and SDL then runs it on its offscreen driver, unseen.
set -euo pipefail

number_file=$(mktemp)
if [ -n "${XVFB_DISPLAY:-}" ]; then
  Xvfb ":$XVFB_DISPLAY" -screen 0 1600x1200x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  echo "$XVFB_DISPLAY" > "$number_file"
else
  Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp -noreset 3>"$number_file" >/dev/null 2>&1 &
fi
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; rm -f "$number_file"' EXIT

# The number is written once the server takes connections.
for _ in $(seq 1 100); do
  [ -s "$number_file" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "with-xvfb.sh: Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
[ -s "$number_file" ] || { echo "with-xvfb.sh: Xvfb chose no display" >&2; exit 1; }

export DISPLAY=":$(head -n 1 "$number_file")"
for _ in $(seq 1 100); do
  xdpyinfo >/dev/null 2>&1 && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "with-xvfb.sh: Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
xdpyinfo >/dev/null 2>&1 || { echo "with-xvfb.sh: Xvfb did not answer" >&2; exit 1; }
# The server that answers must be this one, not another on the same number.
kill -0 "$xvfb_pid" 2>/dev/null || { echo "with-xvfb.sh: Xvfb ended" >&2; exit 1; }

"$@"

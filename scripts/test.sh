#!/usr/bin/env bash
# Installs what is missing, builds layerdream and runs every test: the unit
# tests headless (SDL's offscreen driver), the end-to-end tests in a real X
# server (Xvfb), the Windows cross build, and that Windows program under Wine
# beside this build's (skipped where Wine cannot run it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
started=$SECONDS

stage() { printf '\n==== %s (%ds)\n' "$1" $((SECONDS - started)); }

stage "dependencies"
"$root/scripts/install-dependencies.sh" test windows
windows_build=${LAYERDREAM_WINDOWS_BUILD:-$root/build-windows}

stage "build"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release \
      -DLAYERDREAM_WINDOWS_PROGRAM="$windows_build/layerdream.exe" >/dev/null
cmake --build "$root/build" -j"$jobs"

stage "unit tests (headless)"
(cd "$root/build" && env -u DISPLAY ctest -L unit -j"$jobs" --output-on-failure --timeout 300)

stage "end-to-end tests (Xvfb)"
(cd "$root/build" && "$root/scripts/with-xvfb.sh" ctest -L e2e --output-on-failure --timeout 300)

stage "Windows cross build"
LAYERDREAM_WINDOWS_BUILD=$windows_build "$root/scripts/build-windows.sh"

# Wine runs the x86-64 Windows program only on an x86-64 machine that has it.
wine_cannot_run() {
  if ! command -v wine >/dev/null; then echo "wine is not installed"; return 0; fi
  if [ "$(uname -m)" != x86_64 ]; then echo "this machine is $(uname -m), not x86_64"; return 0; fi
  return 1
}
stage "Windows program under Wine (Xvfb)"
if reason=$(wine_cannot_run); then
  echo "SKIPPED: the Windows program is not run under Wine: $reason"
else
  (cd "$root/build" && "$root/scripts/with-xvfb.sh" ctest -L wine --output-on-failure --timeout 300)
fi

stage "all tests passed"

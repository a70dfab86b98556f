#!/usr/bin/env bash
# Installs what is missing, builds layerdream and runs every test: the unit
# tests headless (SDL's offscreen driver), the end-to-end tests in a real X
# server (Xvfb), and the Windows cross build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
started=$SECONDS

stage() { printf '\n==== %s (%ds)\n' "$1" $((SECONDS - started)); }

stage "dependencies"
"$root/scripts/install-dependencies.sh" test

stage "build"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j"$jobs"

stage "unit tests (headless)"
(cd "$root/build" && env -u DISPLAY ctest -L unit -j"$jobs" --output-on-failure --timeout 300)

stage "end-to-end tests (Xvfb)"
(cd "$root/build" && "$root/scripts/with-xvfb.sh" ctest -L e2e --output-on-failure --timeout 300)

stage "Windows cross build"
"$root/scripts/build-windows.sh"

stage "all tests passed"

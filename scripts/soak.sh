#!/usr/bin/env bash
# Soak run, by hand (not part of scripts/test.sh): the Release program dreams
# under Xvfb for SOAK_MINUTES (default 10) while the mouse moves, clicks,
# right-clicks, drags, resizes, moves pictures and exports them at random.
# Reports the resident memory when dreaming began and at the end, the number
# of exports and whether each is a valid BMP; fails if the memory grew more
# than SOAK_MAX_GROWTH_MIB (default 4), an export is invalid, or the program
# does not close with exit code 0.
#
#   scripts/soak.sh
#   SOAK_MINUTES=30 SOAK_SEED=7 SOAK_SETTINGS="20 20 10 10 1 300 0.1" scripts/soak.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${SOAK_BUILD:-$root/build-soak}

"$root/scripts/install-dependencies.sh" test
cmake -S "$root" --preset program -B "$build_dir" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target layerdream

python=/usr/bin/python3  # the system's, which has python3-xlib
[ -x "$python" ] || python=python3
"$root/scripts/with-xvfb.sh" "$python" "$root/scripts/soak.py" "$build_dir/layerdream" \
  --minutes "${SOAK_MINUTES:-10}" --seed "${SOAK_SEED:-1}" \
  --settings "${SOAK_SETTINGS:-20 20 10 10 1 300 0.1}" --max-growth-mib "${SOAK_MAX_GROWTH_MIB:-4}"

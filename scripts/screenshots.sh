#!/usr/bin/env bash
# Makes the pictures of the documentation again, from the real program under
# Xvfb on the 10,000 handwritten digits (scripts/screenshots.py does the work):
#
#   scripts/screenshots.sh          the README's two screenshots, the window
#                                   while it trains and while it dreams, with
#                                   the default settings: docs/images/
#   scripts/screenshots.sh icon     the program's icon, one of its dreams with
#                                   the default settings: packaging/icons/, six
#                                   PNGs and layerdream.ico made of them for
#                                   the Windows program
#   scripts/screenshots.sh windows-icon
#                                   only packaging/icons/layerdream.ico again,
#                                   from the PNGs there (runs nothing)
#   scripts/screenshots.sh compare  the candidates for the default settings
#                                   side by side (docs/default-settings.md):
#                                   docs/default-settings/, and a table of
#                                   them on the standard output
# Times depend on the machine and on what else runs on it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$root/build-release
what=${1:-readme}

# The candidates for the defaults: the default of 1.0.0 first, then more
# training of the same network, and of a larger and a smaller one.
candidates=(
  "20 20 10 8 1 2000 0.02"
  "20 20 10 8 1 3000 0.02"
  "20 20 10 8 1 5000 0.02"
  "20 20 10 8 1 7000 0.02"
  "20 20 10 8 1 10000 0.02"
  "20 20 10 8 1 10000 0.005"
  "20 25 10 10 1 10000 0.01"
  "16 16 10 8 1 5000 0.02"
)

"$root/scripts/install-dependencies.sh" test
if [ "$what" = windows-icon ]; then
  exec python3 "$root/scripts/screenshots.py" windows-icon "$root/packaging/icons"
fi
cmake -S "$root" --preset program -B "$build_dir" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target layerdream digits_to_idx
digits=$build_dir/trainingimages
[ -f "$digits" ] || "$root/scripts/fetch-digits.sh" "$build_dir/digits_to_idx" "$digits"

python=/usr/bin/python3  # the system's, which has python3-xlib
[ -x "$python" ] || python=python3
shots() { "$root/scripts/with-xvfb.sh" "$python" "$root/scripts/screenshots.py" "$@"; }
case "$what" in
  readme)
    mkdir -p "$root/docs/images"
    shots readme "$build_dir/layerdream" "$digits" "$root/scripts/default-settings.txt" "$root/docs/images" ;;
  icon)
    mkdir -p "$root/packaging/icons"
    shots icon "$build_dir/layerdream" "$digits" "$root/scripts/default-settings.txt" "$root/packaging/icons" ;;
  compare)
    mkdir -p "$root/docs/default-settings"
    shots compare "$build_dir/layerdream" "$digits" "$root/docs/default-settings" "${candidates[@]}" ;;
  *) echo "usage: scripts/screenshots.sh [readme|icon|windows-icon|compare]" >&2; exit 2 ;;
esac

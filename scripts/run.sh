#!/usr/bin/env bash
# Installs what is missing, builds layerdream, prepares a run folder with a
# default settings.txt and real handwritten digits as trainingimages, and
# starts the program there.
#
#   scripts/run.sh              runs in ./run (made on the first run)
#   LAYERDREAM_RUN_DIR=DIR scripts/run.sh   runs in DIR
# An existing settings.txt or trainingimages in the folder is kept.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
run_dir=${LAYERDREAM_RUN_DIR:-$root/run}
build_dir=$root/build-release

"$root/scripts/install-dependencies.sh" run
cmake -S "$root" --preset program -B "$build_dir" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target layerdream digits_to_idx

mkdir -p "$run_dir"
if [ ! -f "$run_dir/settings.txt" ]; then
  cp "$root/scripts/default-settings.txt" "$run_dir/settings.txt"
  echo "Wrote $run_dir/settings.txt"
fi
if [ ! -f "$run_dir/trainingimages" ]; then
  "$root/scripts/fetch-digits.sh" "$build_dir/digits_to_idx" "$run_dir/trainingimages"
fi

cd "$run_dir"
exec "$build_dir/layerdream"

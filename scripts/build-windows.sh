#!/usr/bin/env bash
# Cross-builds the native Windows program, one self-contained layerdream.exe,
# with Debian's mingw-w64 into build-windows/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${LAYERDREAM_WINDOWS_BUILD:-$root/build-windows}

"$root/scripts/install-dependencies.sh" windows-build
cmake -S "$root" -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DLAYERDREAM_TESTS=OFF -DLAYERDREAM_BENCHMARKS=OFF >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target layerdream
echo "Built $build_dir/layerdream.exe"

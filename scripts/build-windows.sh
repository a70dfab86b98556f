#!/usr/bin/env bash
# Cross-builds the native Windows program, one self-contained layerdream.exe,
# with Debian's mingw-w64 into build-windows/.
#   build-windows.sh          the program
#   build-windows.sh --tests  the program and the unit tests that run under
#                             Wine (ctest -L wine_unit in that folder runs them)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${LAYERDREAM_WINDOWS_BUILD:-$root/build-windows}

tests=OFF
targets=(layerdream)
case "${1:-}" in
  "") ;;
  --tests) tests=ON; targets+=(windows_unit_tests) ;;
  *) echo "build-windows.sh: unknown option '$1' (--tests builds the unit tests too)" >&2; exit 2 ;;
esac

"$root/scripts/install-dependencies.sh" windows-build
cmake -S "$root" --preset mingw -B "$build_dir" -DLAYERDREAM_TESTS=$tests >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target "${targets[@]}"
echo "Built $build_dir/layerdream.exe"
if [ $tests = ON ]; then echo "Built the unit tests in $build_dir/tests/windows"; fi

#!/usr/bin/env bash
# Installs what is missing, builds layerdream and runs every test: the unit
# tests headless (SDL's offscreen driver), the end-to-end tests in a real X
# server (Xvfb), the Windows cross build, and that Windows program under Wine
# beside this build's (skipped where Wine cannot run it). Then the unit and
# end-to-end tests again in two instrumented builds (clang): AddressSanitizer
# with UndefinedBehaviorSanitizer, and ThreadSanitizer; and the two fuzzers of
# the input files, each for FUZZ_SECONDS (default 60).
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

# Any sanitizer report makes the program that wrote it exit non-zero
# (tests/sanitizers/options.sh), and an end-to-end test fails on a report
# from any program it started (tests/sanitizers/check_reports.py).
sanitized_tests() { # build directory, sanitizer
  local build_dir=$1
  cmake -S "$root" -B "$build_dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DLAYERDREAM_SANITIZE="$2" -DLAYERDREAM_BENCHMARKS=OFF >/dev/null
  cmake --build "$build_dir" -j"$jobs"
  (
    . "$root/tests/sanitizers/options.sh"
    cd "$build_dir"
    env -u DISPLAY ctest -L unit -j"$jobs" --output-on-failure --timeout 600
    "$root/scripts/with-xvfb.sh" ctest -L e2e --output-on-failure --timeout 600
  )
}
stage "AddressSanitizer and UndefinedBehaviorSanitizer: build, unit and end-to-end tests"
sanitized_tests "$root/build-asan" address
stage "ThreadSanitizer: build, unit and end-to-end tests"
sanitized_tests "$root/build-tsan" thread

fuzz_seconds=${FUZZ_SECONDS:-60}
stage "fuzzers of settings.txt and trainingimages, $fuzz_seconds s each"
fuzz_dir=$root/build-fuzz
cmake -S "$root" -B "$fuzz_dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DLAYERDREAM_SANITIZE=address -DLAYERDREAM_FUZZERS=ON -DLAYERDREAM_TESTS=OFF -DLAYERDREAM_BENCHMARKS=OFF >/dev/null
cmake --build "$fuzz_dir" -j"$jobs" --target settings_fuzzer training_images_fuzzer
(
  . "$root/tests/sanitizers/options.sh"
  mkdir -p "$fuzz_dir/findings"
  # fuzzer, seed corpus, longest input
  for run in "settings settings 256" "training_images images 8192"; do
    read -r fuzzer corpus longest <<<"$run"
    # The corpus grows in the build directory; the seeds in the repository stay as they are.
    mkdir -p "$fuzz_dir/work/$corpus"
    if ! "$fuzz_dir/tests/fuzz/${fuzzer}_fuzzer" -max_total_time="$fuzz_seconds" -max_len="$longest" -timeout=30 \
         -print_final_stats=1 -artifact_prefix="$fuzz_dir/findings/" \
         "$fuzz_dir/work/$corpus" "$root/tests/fuzz/corpus/$corpus" > "$fuzz_dir/$fuzzer.log" 2>&1; then
      tail -n 80 "$fuzz_dir/$fuzzer.log"
      echo "FAILED: ${fuzzer}_fuzzer found an input that fails; it is in $fuzz_dir/findings/ (see tests/fuzz/README.md)"
      exit 1
    fi
    grep -E "^(#[0-9]+ +DONE|stat::number_of_executed_units)" "$fuzz_dir/$fuzzer.log" | sed "s/^/${fuzzer}_fuzzer: /"
  done
)

stage "packages: the Debian package installed and started from its menu entry, the Windows zip under Wine"
LAYERDREAM_WINDOWS_BUILD=$windows_build "$root/scripts/test-package.sh"

stage "all tests passed"

#!/usr/bin/env bash
# Installs what is missing, builds layerdream and runs every test: the unit
# tests headless (SDL's offscreen driver), the end-to-end tests in a real X
# server (Xvfb), the Windows cross build with its unit tests and its
# program's resources (icon, version, manifest), and under Wine those tests
# and that Windows program beside this build's (skipped where Wine cannot run
# them). Then the unit and end-to-end tests again in two
# instrumented builds (clang): AddressSanitizer with UndefinedBehaviorSanitizer,
# and ThreadSanitizer; and the two fuzzers of the input files' readers, each
# for FUZZ_SECONDS (default 60). The slow fuzzer of settings.txt through the
# worker's stages runs only when FUZZ_STAGES_SECONDS is set above 0
# (tests/fuzz/README.md). The builds are the presets of CMakePresets.json.
#
#   scripts/test.sh           everything, as CI runs it (about 20 minutes)
#   scripts/test.sh --quick   the build and the unit tests only (a few
#                             minutes): the loop while editing
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
started=$SECONDS
quick=false
case "${1:-}" in
  "") ;;
  --quick) quick=true ;;
  *) echo "test.sh: unknown option '$1' (--quick: the build and the unit tests only)" >&2; exit 2 ;;
esac

stage() { printf '\n==== %s (%ds)\n' "$1" $((SECONDS - started)); }

stage "dependencies"
if $quick; then
  "$root/scripts/install-dependencies.sh" test
else
  "$root/scripts/install-dependencies.sh" test windows
fi
windows_build=${LAYERDREAM_WINDOWS_BUILD:-$root/build-windows}

stage "build"
cmake -S "$root" --preset release -DLAYERDREAM_WINDOWS_PROGRAM="$windows_build/layerdream.exe" >/dev/null
cmake --build "$root/build" -j"$jobs"

stage "unit tests (headless)"
(cd "$root/build" && env -u DISPLAY ctest -L unit -j"$jobs" --output-on-failure --timeout 300)

if $quick; then
  stage "unit tests passed (--quick: nothing else was run)"
  exit 0
fi

stage "end-to-end tests (Xvfb)"
(cd "$root/build" && "$root/scripts/with-xvfb.sh" ctest -L e2e --output-on-failure --timeout 300)

stage "Windows cross build: the program, its resources and its unit tests"
LAYERDREAM_WINDOWS_BUILD=$windows_build "$root/scripts/build-windows.sh" --tests
# The icon, version and manifest that Windows reads from the program's file.
version=$(sed -n 's/^project(layerdream VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
python3 "$root/tests/windows/check_resources.py" "$windows_build/layerdream.exe" "$version" "$root/packaging/icons"

# Wine runs the x86-64 Windows program only on an x86-64 machine that has it.
wine_cannot_run() {
  if ! command -v wine >/dev/null; then echo "wine is not installed"; return 0; fi
  if [ "$(uname -m)" != x86_64 ]; then echo "this machine is $(uname -m), not x86_64"; return 0; fi
  return 1
}
stage "Windows unit tests under Wine (headless)"
if reason=$(wine_cannot_run); then
  echo "SKIPPED: the Windows unit tests are not run under Wine: $reason"
else
  (cd "$windows_build" && env -u DISPLAY ctest -L wine_unit -j"$jobs" --no-tests=error --output-on-failure --timeout 300)
fi

stage "Windows program under Wine (Xvfb)"
if reason=$(wine_cannot_run); then
  echo "SKIPPED: the Windows program is not run under Wine: $reason"
else
  (cd "$root/build" && "$root/scripts/with-xvfb.sh" ctest -L wine --output-on-failure --timeout 300)
fi

# Any sanitizer report makes the program that wrote it exit non-zero
# (tests/sanitizers/options.sh), and an end-to-end test fails on a report
# from any program it started (tests/sanitizers/check_reports.py).
sanitized_tests() { # build directory, preset
  local build_dir=$1
  cmake -S "$root" --preset "$2" -B "$build_dir" >/dev/null
  cmake --build "$build_dir" -j"$jobs"
  (
    . "$root/tests/sanitizers/options.sh"
    cd "$build_dir"
    env -u DISPLAY ctest -L unit -j"$jobs" --output-on-failure --timeout 600
    "$root/scripts/with-xvfb.sh" ctest -L e2e --output-on-failure --timeout 600
  )
}
stage "AddressSanitizer and UndefinedBehaviorSanitizer: build, unit and end-to-end tests"
sanitized_tests "$root/build-asan" asan
stage "ThreadSanitizer: build, unit and end-to-end tests"
sanitized_tests "$root/build-tsan" tsan

fuzz_seconds=${FUZZ_SECONDS:-60}
fuzz_stages_seconds=${FUZZ_STAGES_SECONDS:-0}
stage "fuzzers of settings.txt and trainingimages, $fuzz_seconds s each"
fuzz_dir=$root/build-fuzz
fuzzers="settings_fuzzer training_images_fuzzer"
if [ "$fuzz_stages_seconds" -gt 0 ]; then fuzzers="$fuzzers settings_stages_fuzzer"; fi
cmake -S "$root" --preset fuzz -B "$fuzz_dir" >/dev/null
cmake --build "$fuzz_dir" -j"$jobs" --target $fuzzers
(
  . "$root/tests/sanitizers/options.sh"
  # options.sh unwinds allocation stacks the slow way, so that reports from
  # inside libraries built without frame pointers (fontconfig, libdbus) match
  # their suppressions. The fuzzers open no window and reach none of them,
  # and the slow unwinding took most of their time.
  export ASAN_OPTIONS="$ASAN_OPTIONS:fast_unwind_on_malloc=1"
  mkdir -p "$fuzz_dir/findings"
  # fuzzer, seed corpus, longest input, seconds
  runs=("settings settings 256 $fuzz_seconds" "training_images images 8192 $fuzz_seconds")
  if [ "$fuzz_stages_seconds" -gt 0 ]; then runs+=("settings_stages settings 256 $fuzz_stages_seconds"); fi
  for run in "${runs[@]}"; do
    read -r fuzzer corpus longest seconds <<<"$run"
    # The corpus grows in the build directory; the seeds in the repository stay as they are.
    mkdir -p "$fuzz_dir/work/$fuzzer"
    if ! "$fuzz_dir/tests/fuzz/${fuzzer}_fuzzer" -max_total_time="$seconds" -max_len="$longest" -timeout=30 \
         -print_final_stats=1 -artifact_prefix="$fuzz_dir/findings/" \
         "$fuzz_dir/work/$fuzzer" "$root/tests/fuzz/corpus/$corpus" > "$fuzz_dir/$fuzzer.log" 2>&1; then
      tail -n 80 "$fuzz_dir/$fuzzer.log"
      echo "FAILED: ${fuzzer}_fuzzer found an input that fails; it is in $fuzz_dir/findings/ (see tests/fuzz/README.md)"
      exit 1
    fi
    grep -E "^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::average_exec_per_sec)" "$fuzz_dir/$fuzzer.log" |
      sed "s/^/${fuzzer}_fuzzer: /"
  done
  if [ "$fuzz_stages_seconds" -eq 0 ]; then
    echo "SKIPPED: settings_stages_fuzzer (slow; set FUZZ_STAGES_SECONDS to run it)"
  fi
)

stage "packages: the Debian package installed and started from its menu entry, the Windows zip under Wine"
LAYERDREAM_WINDOWS_BUILD=$windows_build "$root/scripts/test-package.sh"

stage "all tests passed"

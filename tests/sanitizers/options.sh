# Runtime options for the instrumented builds (LAYERDREAM_SANITIZE=address or
# thread). Source it before running their programs or tests:
#
#   . tests/sanitizers/options.sh
#
# Every report ends the program with a non-zero exit code (AddressSanitizer,
# UndefinedBehaviorSanitizer and LeakSanitizer at once; ThreadSanitizer at
# the first report too), so a test that sees its program fail fails itself.
# The suppression files beside this one name only reports that lie wholly
# inside libraries we do not build (fontconfig, SDL, X11, Mesa).

layerdream_sanitizers=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Allocation stacks are unwound in full (fast_unwind_on_malloc=0): the
# third-party libraries keep no frame pointers, and a stack cut short at the
# first of their frames could be matched by no narrow suppression.
export ASAN_OPTIONS="fast_unwind_on_malloc=0:halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:detect_invalid_pointer_pairs=0:print_summary=1:exitcode=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:print_summary=1:exitcode=1"
export LSAN_OPTIONS="suppressions=$layerdream_sanitizers/lsan.supp:print_suppressions=0"
export TSAN_OPTIONS="halt_on_error=1:exitcode=66:second_deadlock_stack=1:suppressions=$layerdream_sanitizers/tsan.supp:print_suppressions=0"

unset layerdream_sanitizers

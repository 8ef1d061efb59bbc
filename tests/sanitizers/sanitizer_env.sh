# SPDX-License-Identifier: MIT
# Run-time settings of AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer
# for the sanitizer build (build-asan/). Sourced by scripts/test.sh before it builds
# (test discovery runs the test programs) and runs the tests; source it yourself
# before running `ctest --test-dir build-asan` by hand.
orvane2_sanitizers_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# Stop at the first error with a non-zero exit, check the order of static
# initialisation and uses of stack memory after its function returned.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
# Leaks inside third-party libraries that are not ours to fix (see the file).
export LSAN_OPTIONS="suppressions=$orvane2_sanitizers_dir/lsan.supp:print_suppressions=0"
# Undefined behaviour ends the program (the build also uses -fno-sanitize-recover)
# with the stack that led to it.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
unset orvane2_sanitizers_dir

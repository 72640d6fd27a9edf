#!/usr/bin/env bash
# The sanitizer runs of CI: every test under address+undefined, the port tests
# under thread sanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan.supp"
bash scripts/build.sh asan
ctest --preset asan --no-tests=error -j2
bash scripts/build.sh tsan
ctest --preset tsan --no-tests=error -j2

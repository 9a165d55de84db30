#!/usr/bin/env bash
# The whole unit suite under AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer, in its own build folder.  Any report fails it.
#   ASAN_BUILD_DIR=build/asan scripts/asan-tests.sh [gtest arguments]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${ASAN_BUILD_DIR:-$root/build/asan}

cmake -S "$root" -B "$build" -C "$root/cmake/sanitize.cmake" >/dev/null
cmake --build "$build" -j"${JOBS:-2}" --target velmora_unit_tests >/dev/null

export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}
"$build/velmora_unit_tests" --gtest_brief=1 "$@"

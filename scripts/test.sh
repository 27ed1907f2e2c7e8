#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: first an optimised build,
# then a build with AddressSanitizer and UndefinedBehaviorSanitizer.
#   scripts/test.sh            both builds
#   scripts/test.sh release    the optimised build only
#   scripts/test.sh sanitize   the sanitizer build only
set -euo pipefail
cd "$(dirname "$0")/.."
which_builds=${1:-all}

scripts/install_deps.sh

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1

build_and_test() {
  local dir=$1
  shift
  cmake -S . -B "$dir" "$@"
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" -j"$jobs" --timeout 600
}

if [[ $which_builds == all || $which_builds == release ]]; then
  build_and_test build -DCMAKE_BUILD_TYPE=Release
fi
if [[ $which_builds == all || $which_builds == sanitize ]]; then
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
  export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  build_and_test build-asan -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON -DQUORVEL_BUILD_BENCH=OFF
fi

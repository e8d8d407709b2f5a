#!/usr/bin/env bash
# Installs whatever is missing, builds with warnings as errors and runs every test: once in a
# plain build, once under AddressSanitizer and UndefinedBehaviorSanitizer; then each fuzz target
# for a short while.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build test

export QT_QPA_PLATFORM=offscreen
# The tests never reach the user's own keyring: the one test of passwords in a secret service
# starts a keyring of its own.
unset DBUS_SESSION_BUS_ADDRESS
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"

jobs=${TARNWICK_JOBS:-$(nproc)}

build_and_test() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DTARNWICK_WERROR=ON "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300
}

build_and_test build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
build_and_test build/sanitize -DCMAKE_BUILD_TYPE=Debug -DTARNWICK_SANITIZE=ON

scripts/package-test.sh

# Long enough to catch a reader that breaks on its own seeds or on what they lead to quickly.
scripts/fuzz.sh 15

#!/usr/bin/env bash
# Installs whatever is missing, builds Tarnwick and starts it. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build run
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_TESTS=OFF
cmake --build build/release --target tarnwick tarnwick-cli
exec build/release/src/tarnwick "$@"

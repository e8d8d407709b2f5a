#!/usr/bin/env bash
# Builds the fuzz targets with clang under AddressSanitizer and UndefinedBehaviorSanitizer and
# runs each for SECONDS (600 unless told), from the seeds in tests/fuzz/corpus. Fails on the
# first crash, hang, leak or broken invariant; the input that found it is kept in build/fuzz/found.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
scripts/install-deps.sh build test fuzz

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
jobs=${TARNWICK_JOBS:-$(nproc)}
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_WERROR=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTARNWICK_FUZZ=ON >/dev/null
cmake --build build/fuzz --target fuzz_targets -j "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
# The targets that read files write the input to a scratch folder: in memory when there is one.
[[ -d /dev/shm && -w /dev/shm ]] && export TMPDIR=/dev/shm
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for seeds in tests/fuzz/corpus/*/; do
  target=$(basename "$seeds")
  # What the run learns goes to a folder of the build's, never into the seeds.
  learnt=build/fuzz/learnt/$target
  found=build/fuzz/found/$target
  mkdir -p "$learnt" "$found"
  echo "fuzz: $target for ${seconds}s"
  if ! "build/fuzz/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$found/" "$learnt" "$seeds" \
    >"build/fuzz/$target.log" 2>&1; then
    tail -n 60 "build/fuzz/$target.log" >&2
    echo "fuzz: $target failed; the input is in $found" >&2
    exit 1
  fi
  grep -E '^stat::number_of_executed_units' "build/fuzz/$target.log" || true
done
echo "fuzz: every target ran ${seconds}s without a fault"

# Sourced by the benchmarks from the top of the work tree, with the install groups they need
# (build, bench): installs them, builds tarnwick-cli for speed, and sets $cli to it
# (TARNWICK_BENCH_CLI names one built already, optimised alike).
scripts/install-deps.sh "$@"
if [[ -n ${TARNWICK_BENCH_CLI:-} ]]; then
  cli=$TARNWICK_BENCH_CLI
else
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_TESTS=OFF >/dev/null
  cmake --build build/release --target tarnwick-cli >/dev/null
  cli=$PWD/build/release/src/tarnwick-cli
fi

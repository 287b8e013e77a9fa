#!/usr/bin/env bash
# Builds the copy-rate benchmark in build/bench (Release) and runs it: copyOneFile on a healthy
# file of 16 MiB (or the size in MiB given as $1), printing bytes per second; with "byte-by-byte"
# as $2, the old way, every byte through the byte steps.
# Usage: bench/copy_rate.sh [MiB [byte-by-byte]]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${SORVEL_BENCH_BUILD:-build/bench}"

# Until the build includes cmake/bench.cmake itself, bring it in after the top-level targets.
extra=()
if ! grep -q "bench.cmake" cmake/posix.cmake; then
  extra=(-DCMAKE_PROJECT_INCLUDE="$PWD/bench/include_bench.cmake")
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSORVEL_TESTS=OFF "${extra[@]}" > /dev/null
cmake --build "$build" -j 2 --target bench_copy_rate > /dev/null
"$build/bench_copy_rate" "$@"

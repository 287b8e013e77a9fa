#!/usr/bin/env bash
# Installs what is missing, builds the Linux and Windows programs and runs every test; then builds
# the display keeper's thread test under ThreadSanitizer (build/tsan) and runs it, since a race
# there passes the ordinary run. Every test has its own time limit (cmake/tests.cmake); --timeout
# is the limit of any test that has none.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh" all
bash "$root/scripts/build.sh" all
cd "$root/build/linux"
ctest --output-on-failure --timeout 600 -j "$(nproc)"

cd "$root"
cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVEL_THREAD_SANITIZER=ON >/dev/null
cmake --build build/tsan -j "$(nproc)" --target unit_display_keeper_test
# A report of ThreadSanitizer fails the run. The program is run several times, as a race shows
# only when the threads meet; not with --gtest_repeat, which would start a second keeper thread
# in one process, something the program never does.
for run in 1 2 3 4 5 6 7 8 9 10; do
  TSAN_OPTIONS="halt_on_error=1 exitcode=66" timeout 300 \
    build/tsan/unit_display_keeper_test --gtest_brief=1
done

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
# A report of ThreadSanitizer ends the test with a failure; the test is repeated, as a race shows
# only when the threads meet.
TSAN_OPTIONS="halt_on_error=1 exitcode=66" timeout 600 \
  build/tsan/unit_display_keeper_test --gtest_repeat=20 --gtest_brief=1

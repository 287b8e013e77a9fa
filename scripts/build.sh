#!/usr/bin/env bash
# Builds the Linux program with its tests (build/linux), the 32-bit Windows program (build/windows)
# and the same sources for 64-bit Windows (build/windows64), which the tests run under a 64-bit
# Wine where 32-bit programs cannot run; the Windows builds hold the conformance test programs
# too. Usage: scripts/build.sh [linux|windows|all]
set -euo pipefail
cd "$(dirname "$0")/.."
which="${1:-all}"
jobs="$(nproc)"

if [ "$which" = linux ] || [ "$which" = all ]; then
  cmake -S . -B build/linux -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
  cmake --build build/linux -j "$jobs"
fi
if [ "$which" = windows ] || [ "$which" = all ]; then
  cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=Release > /dev/null
  cmake --build build/windows -j "$jobs"
  cmake -S . -B build/windows64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release > /dev/null
  cmake --build build/windows64 -j "$jobs"
fi

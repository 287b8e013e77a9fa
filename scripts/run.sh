#!/usr/bin/env bash
# Installs what is missing, builds sorvel (a release build, optimised across files, without the
# tests) and starts it in the current folder of the caller.
set -euo pipefail
here="$(pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DSORVEL_TESTS=OFF > /dev/null
cmake --build "$root/build/release" -j "$(nproc)" --target sorvel
cd "$here"
exec "$root/build/release/sorvel"

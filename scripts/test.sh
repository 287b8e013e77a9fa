#!/usr/bin/env bash
# Installs what is missing, builds the Linux and Windows programs and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh" all
bash "$root/scripts/build.sh" all
cd "$root/build/linux"
ctest --output-on-failure -j "$(nproc)"

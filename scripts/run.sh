#!/usr/bin/env bash
# Installs what is missing, builds sorvel and starts it in the current folder of the caller.
set -euo pipefail
here="$(pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" linux
cd "$here"
exec "$root/build/linux/sorvel"

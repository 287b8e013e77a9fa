#!/usr/bin/env bash
# Installs what is missing and builds the packages into build/packages: the Debian package of a
# release build (build/release, as scripts/run.sh builds it) and a ZIP of the 32-bit Windows
# program (build/windows-release). Usage: scripts/package.sh [linux|windows|all]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
which="${1:-all}"
jobs="$(nproc)"
packages="$root/build/packages"
bash "$root/scripts/install-deps.sh" package
mkdir -p "$packages"

# package BUILD-FOLDER GENERATOR: runs CPack in the build folder, the package going to $packages.
package() {
  (cd "$1" && cpack -G "$2" -B "$packages" > "$1/cpack.log") || {
    cat "$1/cpack.log" >&2
    exit 1
  }
  rm -rf "$packages/_CPack_Packages"
}

if [ "$which" = linux ] || [ "$which" = all ]; then
  cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DSORVEL_TESTS=OFF \
    > /dev/null
  cmake --build "$root/build/release" -j "$jobs"
  rm -f "$packages"/sorvel_*.deb
  package "$root/build/release" DEB
fi
if [ "$which" = windows ] || [ "$which" = all ]; then
  cmake -S "$root" -B "$root/build/windows-release" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DSORVEL_TESTS=OFF > /dev/null
  cmake --build "$root/build/windows-release" -j "$jobs"
  rm -f "$packages"/sorvel-*-win32.zip
  package "$root/build/windows-release" ZIP
fi
ls -l "$packages"

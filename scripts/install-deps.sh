#!/usr/bin/env bash
# Installs the Debian packages sorvel needs (as root). Packages already present are not fetched
# again.
#
#   scripts/install-deps.sh run       what building and running the program need
#   scripts/install-deps.sh package   the same, and what building the packages needs
#   scripts/install-deps.sh all       all of that, and everything the tests need
set -euo pipefail
what="${1:-all}"

# Building and running: the compiler, CMake, FLTK with the X11 libraries it links, and the GTK
# library that FLTK's native file chooser loads at run time (without it the pickers fall back to
# FLTK's plain chooser).
run_packages=(
  g++ make cmake
  libfltk1.3-dev
  libgtk2.0-0
)

# Packaging: dpkg-shlibdeps for the Debian package, the cross compiler of the Windows program,
# groff to format the manual as the plain text of the Windows ZIP.
package_packages=(
  dpkg-dev
  g++-mingw-w64-i686
  groff-base
)

# Testing: GoogleTest, the 64-bit Windows cross compiler and Wine to run the Windows programs, the
# virtual display and the tools that drive and photograph the window and read its properties
# (xprop, in x11-utils: the window's icon and class), FUSE for the test medium, the checks of the
# package and its files, the renderer of the icon's sizes, and the readers of the Windows
# program's resources (wrestool, icotool) and of its manifest (xmllint).
test_packages=(
  pkg-config
  libgtest-dev googletest
  g++-mingw-w64-x86-64
  wine wine64
  xvfb xdotool x11-utils imagemagick
  fuse3 libfuse3-dev
  lintian desktop-file-utils appstream librsvg2-bin
  icoutils libxml2-utils
)

case "$what" in
  run) packages=("${run_packages[@]}") ;;
  package) packages=("${run_packages[@]}" "${package_packages[@]}") ;;
  all) packages=("${run_packages[@]}" "${package_packages[@]}" "${test_packages[@]}") ;;
  *)
    echo "usage: $0 [run|package|all]" >&2
    exit 2
    ;;
esac

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

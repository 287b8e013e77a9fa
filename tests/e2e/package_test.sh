#!/usr/bin/env bash
# The packages, built by CPack from the build folders of the tests: the Debian package holds
# exactly the program, its desktop entry, icons, metainfo, manual page, user guide, copyright and
# changelog, depends on the libraries the program links, and passes lintian without an error or
# warning; its desktop entry and metainfo pass their validators with nothing to fix, name each
# other and the licence; the manual names the installed user guide; and the program extracted
# from it (into the work folder; the machine's own installation is left alone) starts as the
# real window with the installed icon and the desktop entry's class, and copies a file. An
# installation from the build folder into another prefix names its own user guide. The ZIP of
# the 32-bit Windows program, when that build folder exists, holds the program, the text on how
# to run it, the manual and the licence, the texts with Windows line ends.
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup package_test "${1:-}"
build="$(dirname "$SORVEL")"
for tool in cpack dpkg-deb dpkg-shlibdeps lintian desktop-file-validate appstreamcli xprop \
  convert identify; do
  command -v "$tool" >/dev/null || e2e_abort "$tool is missing (scripts/install-deps.sh all)"
done
[ -f "$build/CPackConfig.cmake" ] || e2e_abort "no CPackConfig.cmake in $build"

# cpack_into FOLDER GENERATOR CONFIG: builds one package into FOLDER; sets PACKAGE to its path.
cpack_into() {
  local folder="$1" generator="$2" config="$3"
  mkdir -p "$folder"
  if ! cpack -G "$generator" --config "$config" -B "$folder" >"$folder.log" 2>&1; then
    e2e_abort "cpack -G $generator failed: $(tail -n 20 "$folder.log")"
  fi
  PACKAGE="$(find "$folder" -maxdepth 1 -type f \( -name '*.deb' -o -name '*.zip' \) | head -n 1)"
  [ -n "$PACKAGE" ] || e2e_abort "cpack -G $generator made no package: $(cat "$folder.log")"
  e2e_log "built $(basename "$PACKAGE")"
}

# ---- the Debian package -----------------------------------------------------------------------

cpack_into "$E2E_DIR/deb" DEB "$build/CPackConfig.cmake"
deb="$PACKAGE"

# Its files (folders aside), and the program's mode and owner.
listing="$(dpkg-deb -c "$deb")" || e2e_abort "dpkg-deb -c failed on $deb"
files="$(awk '$1 !~ /^d/ { print $6 }' <<<"$listing" | sort)"
id=org.example.sorvel
expected=(./usr/bin/sorvel "./usr/share/applications/$id.desktop"
  ./usr/share/doc/sorvel/changelog.gz ./usr/share/doc/sorvel/copyright
  ./usr/share/doc/sorvel/README.md.gz ./usr/share/icons/hicolor/scalable/apps/sorvel.svg
  ./usr/share/man/man1/sorvel.1.gz "./usr/share/metainfo/$id.metainfo.xml")
for size in 16 22 24 32 48 64 128 256; do
  expected+=("./usr/share/icons/hicolor/${size}x$size/apps/sorvel.png")
done
e2e_expect_equal "files of the package" "$(printf '%s\n' "${expected[@]}" | sort)" "$files"
e2e_expect_equal "mode and owner of the program" "-rwxr-xr-x root/root" \
  "$(awk '$6 == "./usr/bin/sorvel" { print $1, $2 }' <<<"$listing")"

# dpkg-shlibdeps found the libraries the program links.
depends="$(dpkg-deb -f "$deb" Depends)"
for library in libc6 libstdc++6 libfltk1.3 libx11-6; do
  [[ "$depends" == *"$library"* ]] || e2e_fail "Depends has no $library: '$depends'"
done
e2e_expect_equal "Recommends" "libgtk2.0-0" "$(dpkg-deb -f "$deb" Recommends)"

# lintian: no error and no warning. Its whole output is shown in the test's output.
lintian_out="$E2E_DIR/lintian.out"
lintian_code=0
lintian --pedantic --display-info --display-experimental "$deb" >"$lintian_out" 2>&1 || lintian_code=$?
e2e_log "lintian (exit status $lintian_code):"
sed 's/^/    /' "$lintian_out"
e2e_expect_equal "exit status of lintian" 0 "$lintian_code"
grep -q '^[EW]: ' "$lintian_out" && e2e_fail "lintian reported errors or warnings"

# The installed desktop entry and metainfo, as the desktop and the software centres read them:
# the validators find nothing to fix (desktop-file-validate says nothing at all, appstreamcli
# nothing above its pedantic notes), the metainfo names the licence and launches the desktop
# entry of its own id.
root="$E2E_DIR/root"
dpkg-deb -x "$deb" "$root" || e2e_abort "dpkg-deb -x failed on $deb"
desktop="$root/usr/share/applications/$id.desktop"
metainfo="$root/usr/share/metainfo/$id.metainfo.xml"
desktop-file-validate "$desktop" >"$E2E_DIR/desktop.out" 2>&1 ||
  e2e_fail "desktop-file-validate failed: $(cat "$E2E_DIR/desktop.out")"
[ -s "$E2E_DIR/desktop.out" ] && e2e_fail "desktop-file-validate: $(cat "$E2E_DIR/desktop.out")"
{
  appstreamcli validate --no-net --pedantic --explain "$metainfo" &&
    appstreamcli validate-tree --no-net --pedantic --explain "$root"
} >"$E2E_DIR/appstream.out" 2>&1 || e2e_fail "appstreamcli validate failed"
e2e_log "appstreamcli validate and validate-tree:"
sed 's/^/    /' "$E2E_DIR/appstream.out"
grep -q '^[EWI]: ' "$E2E_DIR/appstream.out" && e2e_fail "appstreamcli validate found things to fix"
e2e_expect_equal "id, licence and launchable of the metainfo" \
  "$id GPL-3.0-or-later $id.desktop" \
  "$(sed -n 's:^ *<id>\(.*\)</id>$:\1:p; s:^ *<project_license>\(.*\)</project_license>$:\1:p;
      s:^ *<launchable type="desktop-id">\(.*\)</launchable>$:\1:p' "$metainfo" | tr '\n' ' ' |
      sed 's/ $//')"
e2e_expect_grep "licence of the copyright file" "$root/usr/share/doc/sorvel/copyright" \
  "License: GPL-3.0-or-later"

# The user guide is the README, and the manual's SEE ALSO names it where it is installed.
gzip -dc "$root/usr/share/doc/sorvel/README.md.gz" >"$E2E_DIR/README.md" ||
  e2e_fail "the user guide does not decompress"
e2e_expect_same "installed user guide" "$(dirname "$0")/../../README.md" "$E2E_DIR/README.md"
guide="$(gzip -dc "$root/usr/share/man/man1/sorvel.1.gz" | sed -n '/^\.SH SEE ALSO/,$ s/^\.I //p')"
e2e_expect_equal "user guide named by the manual" /usr/share/doc/sorvel/README.md.gz "$guide"

# Installed from the build folder into another prefix, the manual names the guide there.
prefix="$E2E_DIR/prefix"
cmake --install "$build" --prefix "$prefix" >"$E2E_DIR/install.log" 2>&1 ||
  e2e_fail "cmake --install failed: $(tail -n 20 "$E2E_DIR/install.log")"
guide="$(gzip -dc "$prefix/share/man/man1/sorvel.1.gz" | sed -n '/^\.SH SEE ALSO/,$ s/^\.I //p')"
e2e_expect_equal "user guide named by the manual of $prefix" \
  "$prefix/share/doc/sorvel/README.md.gz" "$guide"
[ -f "$guide" ] || e2e_fail "no user guide at $guide"

# The extracted program as the real window: it shows the installed icon, has the class the
# installed desktop entry names, and copies a file, byte for byte.
SORVEL="$root/usr/bin/sorvel"
e2e_start_xvfb
src="$E2E_DIR/source"
run="$E2E_DIR/run"
dest="$E2E_DIR/saved"
mkdir -p "$src" "$run"
head -c 300000 /dev/urandom >"$src/photo.jpg"
e2e_settings "$run/sorvel.ini" "$src/photo.jpg" "$dest"
e2e_start_run "$run" "$run/sorvel.log.htm"
e2e_expect_window_icon "$root/usr/share/icons/hicolor/SIZExSIZE/apps/sorvel.png" \
  16 22 24 32 48 64 128
e2e_expect_window_class "$desktop"
e2e_wait_file_grep 120 "$run/sorvel.log.htm" "$E2E_END_VERIFIED" ||
  e2e_fail "the run did not end within 120 s"
e2e_close_program 30
e2e_expect_equal "exit code of the program" 0 "$E2E_PROGRAM_EXIT"
e2e_expect_same "copy made by the packaged program" "$src/photo.jpg" "$dest/photo.jpg"
e2e_expect_log_entry "log of the packaged program" "$run/sorvel.log.htm" \
  "Read 300000bytes of 300000bytes, written 300000bytes, verified 300000bytes"

# ---- the ZIP of the Windows program ---------------------------------------------------------------

windows="$(sed -n 's/^SORVEL_WINDOWS32_BUILD:PATH=//p' "$build/CMakeCache.txt")"
if [ -n "$windows" ] && [ -f "$windows/sorvel.exe" ] && [ -f "$windows/CPackConfig.cmake" ]; then
  cpack_into "$E2E_DIR/zip" ZIP "$windows/CPackConfig.cmake"
  zip="$PACKAGE"
  top="$(basename "$zip" .zip)"
  # The licence is there when the sources have one.
  sources="$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$windows/CMakeCache.txt")"
  texts=(README.txt manual.txt)
  [ -f "$sources/COPYING" ] && texts+=(COPYING.txt)
  e2e_expect_equal "files of the ZIP" \
    "$(printf "$top/%s\n" "${texts[@]}" sorvel.exe | sort | tr '\n' ' ' | sed 's/ $//')" \
    "$(cmake -E tar tf "$zip" | grep -v '/$' | sort | tr '\n' ' ' | sed 's/ $//')"
  mkdir -p "$E2E_DIR/unzipped"
  (cd "$E2E_DIR/unzipped" && cmake -E tar xf "$zip") || e2e_fail "could not unpack $zip"
  # The texts: Windows line ends on every line, every placeholder filled in.
  for text in "${texts[@]}"; do
    file="$E2E_DIR/unzipped/$top/$text"
    [ "$(grep -c $'\r$' "$file")" = "$(wc -l <"$file")" ] && [ -s "$file" ] ||
      e2e_fail "$text: empty, or not every line of it ends in CR LF"
    e2e_expect_no_grep "$text filled in" "$file" "@SORVEL_"
  done
  e2e_expect_grep "version in the manual" "$E2E_DIR/unzipped/$top/manual.txt" \
    "sorvel $(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$windows/CPackConfig.cmake")"
  [ -f "$sources/COPYING" ] && e2e_expect_same "licence in the ZIP" \
    <(tr -d '\r' <"$sources/COPYING") <(tr -d '\r' <"$E2E_DIR/unzipped/$top/COPYING.txt")
  # A 32-bit Windows program: "MZ", and at the offset kept at 0x3c, "PE" and machine 0x014c.
  exe="$E2E_DIR/unzipped/$top/sorvel.exe"
  read -r b0 b1 b2 b3 <<<"$(e2e_bytes "$exe" 60 4)"
  pe=$((b0 + 256 * b1 + 65536 * b2 + 16777216 * b3))
  e2e_expect_equal "headers of the Windows program" "77 90 | 80 69 0 0 76 1" \
    "$(e2e_bytes "$exe" 0 2) | $(e2e_bytes "$exe" "$pe" 6)"
else
  e2e_log "no 32-bit Windows program in ${windows:-(no folder set)}: no ZIP built"
fi

e2e_finish

#!/usr/bin/env bash
# The resources of the Windows program, read from sorvel.exe of each Windows build folder that
# has one (the shipped 32-bit build and the 64-bit one), as Windows reads them:
# - one manifest, well-formed, naming the program's architecture and version, and asking for the
#   UTF-8 code page, the user's own rights, Windows 7 to 11 and the DPI handling chosen;
# - one icon group whose 16, 32, 48 and 256 pixel images are those of packaging/icons;
# - version information whose numbers and texts are those of app/version.h.
# Needs no Wine: wrestool and icotool (icoutils) read the file.
#
#   resources.sh LINUX_SORVEL STATE_DIR WIN32_BUILD WIN64_BUILD
set -u
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../e2e/lib/e2e.sh"

if [ $# -ne 4 ]; then
  echo "usage: $0 LINUX_SORVEL STATE_DIR WIN32_BUILD WIN64_BUILD" >&2
  exit 2
fi
e2e_setup wine_resources "$1"
sources="$here/../.."
for tool in wrestool icotool xmllint compare iconv; do
  command -v "$tool" >/dev/null ||
    e2e_abort "$tool is missing (scripts/install-deps.sh all installs icoutils, libxml2-utils," \
      "imagemagick)"
done

header="$(cat "$sources/app/version.h")"
[[ "$header" =~ kMajorVersion\ =\ ([0-9]+) ]] || e2e_abort "no kMajorVersion in app/version.h"
major="${BASH_REMATCH[1]}"
[[ "$header" =~ kMinorVersion\ =\ ([0-9]+) ]] || e2e_abort "no kMinorVersion in app/version.h"
minor="${BASH_REMATCH[1]}"

# resource_count EXE TYPE: how many resources of TYPE (a number) the program holds.
resource_count() { wrestool --list --type="$2" -- "$1" | grep -c .; }

# machine EXE: the machine field of the PE header (332 for x86, 34404 for x86-64).
machine() {
  local b0 b1 b2 b3 pe
  read -r b0 b1 b2 b3 <<<"$(e2e_bytes "$1" 60 4)"
  pe=$((b0 + 256 * b1 + 65536 * b2 + 16777216 * b3))
  read -r b0 b1 <<<"$(e2e_bytes "$1" $((pe + 4)) 2)"
  echo $((b0 + 256 * b1))
}

# check_manifest EXE ARCHITECTURE
check_manifest() {
  local exe="$1" manifest="$E2E_DIR/$2.manifest" id
  e2e_expect_equal "$2: manifests (RT_MANIFEST)" 1 "$(resource_count "$exe" 24)"
  wrestool --extract --raw --type=24 --name=1 "$exe" >"$manifest" 2>/dev/null
  xmllint --noout "$manifest" 2>"$E2E_DIR/xmllint.out" ||
    e2e_fail "$2: the manifest is not well-formed: $(cat "$E2E_DIR/xmllint.out")"
  # What the manifest says, one fixed string each (attributes in the order they are written).
  local expected=("name=\"Tandrel.sorvel\" version=\"$major.$minor.0.0\""
    "processorArchitecture=\"$2\""
    '<activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings">UTF-8<'
    '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>'
    '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">false<'
    '<gdiScaling xmlns="http://schemas.microsoft.com/SMI/2017/WindowsSettings">true<'
    'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"')
  # Windows 7, 8, 8.1, 10 and 11 (one entry for the last two).
  for id in 35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 \
    1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
    expected+=("<supportedOS Id=\"{$id}\"/>")
  done
  for text in "${expected[@]}"; do
    tr -s ' \n' '  ' <"$manifest" | grep -qF -- "$text" || e2e_fail "$2: no '$text' in the manifest"
  done
}

# check_icon EXE ARCHITECTURE: the first icon group holds the four sizes, each with the pixels
# (alpha included) of packaging/icons/SIZE/sorvel.png.
check_icon() {
  local exe="$1" folder="$E2E_DIR/$2-icon" size png differing
  mkdir -p "$folder"
  wrestool --extract --type=14 -- "$exe" >"$folder/sorvel.ico" 2>/dev/null
  e2e_expect_equal "$2: icon groups" 1 "$(resource_count "$exe" 14)"
  e2e_expect_equal "$2: icon sizes" "16 32 48 256" \
    "$(icotool --list -- "$folder/sorvel.ico" | sed -n 's/.*--width=\([0-9]*\).*/\1/p' |
      tr '\n' ' ' | sed 's/ $//')"
  icotool --extract --output="$folder" -- "$folder/sorvel.ico" ||
    e2e_fail "$2: icotool cannot read the icon"
  for size in 16 32 48 256; do
    png="$(find "$folder" -name "*_${size}x${size}x32.png" | head -n 1)"
    if [ -z "$png" ]; then
      e2e_fail "$2: no 32-bit ${size}x$size image in the icon"
      continue
    fi
    differing="$(compare -metric AE -- "$png" "$sources/packaging/icons/$size/sorvel.png" \
      null: 2>&1)"
    [ "$differing" = 0 ] || e2e_fail "$2: the ${size}x$size icon differs from packaging/icons in" \
      "$differing pixels: run packaging/windows/make-icon.sh"
  done
}

# version_texts EXE: the texts of the version information, one "Key=Value" a line. The resource
# is UTF-16: each key and each value ends with a zero character, and the three 16-bit numbers
# before a key (lengths and type) read as stray characters glued to its front, so a key is known
# by the end of its line and the value is the next line that is not empty.
version_texts() {
  wrestool --extract --raw --type=16 -- "$1" 2>/dev/null | iconv -c -f UTF-16LE -t UTF-8 |
    tr '\0' '\n' | awk -v keys="CompanyName FileDescription FileVersion InternalName
      LegalCopyright OriginalFilename ProductName ProductVersion" '
      BEGIN { n = split(keys, list, /[ \n]+/) }
      key != "" && $0 != "" { print key "=" $0; key = ""; next }
      function endsWith(text, end) {
        return end != "" && substr(text, length(text) - length(end) + 1) == end
      }
      { for (i = 1; i <= n; i++) if (endsWith($0, list[i])) key = list[i] }'
}

# version_numbers EXE: the file and product versions of the fixed part (VS_FIXEDFILEINFO, found
# by its signature FEEF04BD), as "file A.B.C.D product A.B.C.D". Each version is two 32-bit
# little-endian numbers, A.B and C.D, each the high and the low 16 bits.
version_numbers() {
  local bytes i
  read -r -a bytes <<<"$(wrestool --extract --raw --type=16 -- "$1" 2>/dev/null |
    od -An -v -tu1 | tr -s ' \n' '  ')"
  # word OFFSET: the 16-bit little-endian number at OFFSET of the resource.
  word() { echo $((bytes[$1] + 256 * bytes[$1 + 1])); }
  for ((i = 0; i + 24 <= ${#bytes[@]}; i += 4)); do
    [ "${bytes[*]:i:4}" = "189 4 239 254" ] || continue
    echo "file $(word $((i + 10))).$(word $((i + 8))).$(word $((i + 14))).$(word $((i + 12)))" \
      "product $(word $((i + 18))).$(word $((i + 16))).$(word $((i + 22))).$(word $((i + 20)))"
    return
  done
}

# check_version EXE ARCHITECTURE
check_version() {
  local exe="$1" texts
  e2e_expect_equal "$2: version resources" 1 "$(resource_count "$exe" 16)"
  e2e_expect_equal "$2: version numbers" "file $major.$minor.0.0 product $major.$minor.0.0" \
    "$(version_numbers "$exe")"
  texts="$(version_texts "$exe")"
  e2e_expect_equal "$2: version texts" "CompanyName=Tandrel software
FileDescription=sorvel: save files from media that read badly
FileVersion=$major.$minor
InternalName=sorvel
LegalCopyright=Copyright (C) 2026 Tandrel software
OriginalFilename=sorvel.exe
ProductName=sorvel
ProductVersion=$major.$minor" "$texts"
}

checked=0
for build in "$3" "$4"; do
  exe="$build/sorvel.exe"
  [ -f "$exe" ] || continue
  case "$(machine "$exe")" in
    332) architecture=x86 ;;
    34404) architecture=amd64 ;;
    *) e2e_fail "$exe: not an x86 or x86-64 program (machine $(machine "$exe"))"; continue ;;
  esac
  e2e_log "reading the resources of $exe ($architecture)"
  check_manifest "$exe" "$architecture"
  check_icon "$exe" "$architecture"
  check_version "$exe" "$architecture"
  checked=$((checked + 1))
done
[ "$checked" -gt 0 ] || e2e_abort "no sorvel.exe in $3 or $4: build the Windows programs" \
  "(scripts/build.sh windows)"
e2e_finish

#!/usr/bin/env bash
# Takes pictures of the Windows program's window under Wine and Xvfb at 96 DPI (100%) and at
# 192 DPI (200%), for a person to look at (every caption readable and whole, nothing cut off or
# overlapping, the text sharp or blurred): at start-up with a source and destination from the
# settings file, during and after a run that copies files named in Greek, Chinese and with an
# emoji.
# Not a test.
#
#   window_screenshots.sh LINUX_SORVEL STATE_DIR WIN32_BUILD WIN64_BUILD [OUTPUT-FOLDER [EXE]]
#
# The Wine prefix is STATE_DIR/screenshots/prefix, apart from the tests' own, since its DPI is
# changed here. The pictures go to OUTPUT-FOLDER (default ./wine-screenshots): start-DPI.png,
# during-run-DPI.png and end-of-run-DPI.png for DPI 96 and 192, the window alone. EXE runs
# another build of the program in place of the chosen build's sorvel.exe.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../e2e/lib/e2e.sh"
source "$here/lib/wine.sh"

if [ $# -lt 4 ]; then
  echo "usage: $0 LINUX_SORVEL STATE_DIR WIN32_BUILD WIN64_BUILD [OUTPUT-FOLDER [EXE]]" >&2
  exit 2
fi
output="$(mkdir -p "${5:-wine-screenshots}" && cd "${5:-wine-screenshots}" && pwd)"
e2e_setup wine_window_screenshots "$1"
wine_setup "$2/screenshots" "$3" "$4"
program="${6:-$(wine_program sorvel.exe)}" || exit 1
wine_prepare_prefix
e2e_start_xvfb
chmod 755 "$E2E_DIR"

# The window's layout is 530 pixels wide at 96 DPI: where a control of that layout is clicked
# when Wine scales the window.
kLayoutWidth=530

# set_dpi DPI: the display resolution Wine gives the programs started from now on.
set_dpi() {
  local settings="$E2E_DIR/dpi.reg" value
  value="$(printf '%08x' "$1")"
  # Wine versions have read the setting from one key or the other: both are set.
  {
    printf 'REGEDIT4\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%s\r\n\r\n' "$value"
    printf '[HKEY_CURRENT_CONFIG\\Software\\Fonts]\r\n"LogPixels"=dword:%s\r\n' "$value"
  } >"$settings"
  chmod 644 "$settings"
  wine_as_user "$WINE_LOADER" regedit /S "Z:${settings//\//\\}" >/dev/null 2>&1 ||
    e2e_fail "regedit could not set LogPixels to $1"
}

title_shows() { [[ "$(e2e_title)" == *"$1"* ]]; }

# window_scale: the window's width on the screen over the layout's width, in hundredths.
window_scale() {
  local width
  width="$(xdotool getwindowgeometry "$E2E_WINDOW" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')"
  echo $((width * 100 / kLayoutWidth))
}

source="$E2E_DIR/Φωτογραφίες"
mkdir -p "$source"
printf 'Καλημέρα\r\n' >"$source/Ελληνικά.txt"
head -c 3000 /dev/urandom >"$source/中文文件.doc"
head -c 900000 /dev/urandom >"$source/📷 IMG_0001.jpg"
chmod -R a+rX "$source"
SORVEL="$E2E_DIR/windows-program"
wine_write_launcher "$SORVEL" "$program"

for dpi in 96 192; do
  set_dpi "$dpi"
  run="$E2E_DIR/run-$dpi"
  mkdir -p "$run"
  e2e_settings "$run/sorvel.ini" '..\Φωτογραφίες\*.*' "saved" "depthRead: 1"
  wine_own "$run"
  e2e_start_program "$run"
  sleep 2
  scale="$(window_scale)"
  e2e_log "$dpi DPI: the window is $(xdotool getwindowgeometry "$E2E_WINDOW" |
    sed -n 's/.*Geometry: //p') pixels, $scale% of the layout"
  e2e_screenshot "$output/start-$dpi.png"
  xdotool mousemove --window "$E2E_WINDOW" $((40 * scale / 100)) $((110 * scale / 100)) click 1
  # The last and largest file, named with an emoji, while it is copied.
  e2e_wait_until 60 title_shows "IMG" || e2e_wait_until 60 title_shows "%" ||
    e2e_fail "no progress in the title at $dpi DPI"
  sleep 1
  e2e_screenshot "$output/during-run-$dpi.png"
  e2e_wait_file_grep 120 "$run/sorvel.log.htm" "$E2E_END_VERIFIED" ||
    e2e_fail "the run at $dpi DPI did not end"
  sleep 1
  e2e_screenshot "$output/end-of-run-$dpi.png"
  e2e_close_program 30
done
set_dpi 96
echo "pictures in $output"
e2e_finish

#!/usr/bin/env bash
# Names in any script through the Windows program under Wine and Xvfb: files named in Greek, in
# Chinese and with an emoji, in a folder named in Greek, are copied into a missing folder named in
# Chinese. The program's ...A calls get these names whole only when Windows (here Wine) runs it
# in the UTF-8 code page that its manifest asks for; in a legacy code page they reach it with "?"
# in place of every character the code page lacks, and cannot be opened.
#
# The copies must have the same names and bytes as the sources, and the log and the settings file
# written back must be those of the Linux program on the same input (whose calls take UTF-8
# names), apart from the folder separator and the time stamp.
#
#   names.sh LINUX_SORVEL STATE_DIR WIN32_BUILD WIN64_BUILD
#
# Exit code 77 means skipped (Wine cannot run anything here).
set -u
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../e2e/lib/e2e.sh"
source "$here/lib/wine.sh"

wine_start_programs wine_names "$@"

# ---- the input ---------------------------------------------------------------------------------
# Greek ("Photos"), then Chinese, then an emoji outside the Basic Multilingual Plane (a surrogate
# pair in UTF-16): the same order in a byte-wise sort (Linux) and in Wine's sort of UTF-16 names.
folder="Φωτογραφίες"
names=("Ελληνικά.txt" "中文文件.doc" "📷 IMG_0001.jpg")
destination="保存"
source="$E2E_DIR/$folder"
mkdir -p "$source"
printf 'Καλημέρα\r\n' >"$source/${names[0]}"
head -c 3000 /dev/urandom >"$source/${names[1]}"
head -c 70000 /dev/urandom >"$source/${names[2]}"
touch -d '2021-07-14 18:30:02' "$source"/*
chmod -R a+rX "$source"

linux="$E2E_DIR/linux"
windows="$E2E_DIR/windows"
mkdir -p "$linux" "$windows"
e2e_settings "$linux/sorvel.ini" "../$folder/*.*" "$destination" "logSettings: yes"
e2e_settings "$windows/sorvel.ini" "..\\$folder\\*.*" "$destination" "logSettings: yes"
wine_own "$windows"

# ---- the two runs ------------------------------------------------------------------------------
SORVEL="$linuxProgram"
e2e_run_copy "$linux" "$linux/sorvel.log.htm" "$E2E_END_VERIFIED" 120
SORVEL="$E2E_DIR/windows-program"
wine_write_launcher "$SORVEL" "$windowsProgram"
wine_run_copy "$windows" "$windows/sorvel.log.htm" "$E2E_END_VERIFIED" 300

# ---- the copies --------------------------------------------------------------------------------
expected="$(printf '%s\n' "${names[@]}")"
if [ ! -d "$windows/$destination" ]; then
  e2e_fail "the Windows program did not create the folder $destination; its folder holds:" \
    "$(cd "$windows" && ls -A | tr '\n' ' ')"
fi
listing="$(cd "$windows/$destination" 2>/dev/null && ls -A)"
if [[ "$listing" == *"?"* ]] ||
  grep -q 'Copy of "<B>[^<]*?' "$windows/sorvel.log.htm" 2>/dev/null; then
  e2e_fail "names reached the Windows program with \"?\": it did not run in the UTF-8 code page" \
    "its manifest asks for"
fi
e2e_expect_equal "names of the Windows program's copies" "$expected" "$listing"
e2e_expect_equal "names of the Linux program's copies" "$expected" \
  "$(cd "$linux/$destination" 2>/dev/null && ls -A)"
for name in "${names[@]}"; do
  e2e_expect_same "Windows copy of $name" "$source/$name" "$windows/$destination/$name"
done

# ---- the logs and the settings files -------------------------------------------------------
# to_linux_paths: the separators of the source path, as on Linux; nothing else is changed.
to_linux_paths() { sed "s#\\.\\.\\\\$folder\\\\\\*\\.\\*#../$folder/*.*#g"; }
mkdir -p "$E2E_DIR/compared"
wine_without_time_stamp <"$linux/sorvel.log.htm" >"$E2E_DIR/compared/linux.log"
wine_without_time_stamp <"$windows/sorvel.log.htm" | to_linux_paths \
  >"$E2E_DIR/compared/windows.log"
wine_compare "the logs (Linux <, Windows >)" "$E2E_DIR/compared/linux.log" \
  "$E2E_DIR/compared/windows.log"
to_linux_paths <"$windows/sorvel.ini" >"$E2E_DIR/compared/windows.ini"
wine_compare "the settings files (Linux <, Windows >)" "$linux/sorvel.ini" \
  "$E2E_DIR/compared/windows.ini"

# What the Windows log and settings file must hold, so that two equally wrong runs cannot pass.
log="$windows/sorvel.log.htm"
e2e_expect_log_entry "copying line" "$log" "Copying files ..\\$folder\\*.* to $destination"
for name in "${names[@]}"; do
  e2e_expect_grep "log line of $name" "$log" "Copy of \"<B>$name</B>\""
done
e2e_expect_log_entry "totals" "$log" "Verified 73018bytes"
e2e_expect_grep "source in the settings file" "$windows/sorvel.ini" \
  "lastSourceFile: ..\\$folder\\*.*"
e2e_expect_grep "destination in the settings file" "$windows/sorvel.ini" \
  "lastDestinyFolder: $destination"
e2e_finish

#!/usr/bin/env bash
# The real Windows program under Wine and Xvfb against the Linux program, on the same input: each
# starts in a folder of its own with a settings file presetting the source, the destination and
# the options, copies a folder of files and its subfolder when Copy is clicked, writes its log and
# writes the settings file back when its window is closed. The copies keep their sources' times. The copies, the logs (apart from the time stamp)
# and the settings files of the two must be the same byte for byte, apart from the folder
# separator inside the paths ("\" on Windows, "/" on Linux).
#
#   program.sh LINUX_SORVEL STATE_DIR WIN32_BUILD WIN64_BUILD
#
# Exit code 77 means skipped (Wine cannot run anything here).
set -u
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../e2e/lib/e2e.sh"
source "$here/lib/wine.sh"

wine_start_programs wine_program "$@"

# ---- the input: a folder of files, the same for both programs --------------------------------
# Names whose order is the same in a byte-wise and a case-insensitive sort: the order of a
# directory search is the file system's (Wine sorts names case-insensitively, as NTFS does).
source="$E2E_DIR/source"
mkdir -p "$source/sub"
head -c 6000 /dev/urandom >"$source/alpha.bin"
seq 1 1000 | tr '\n' ' ' | head -c 1500 >"$source/notes.txt"
printf 'two words\r\n' >"$source/two words.doc"
head -c 1 /dev/urandom >"$source/tiny.bin"
: >"$source/empty.dat"
head -c 500 /dev/urandom >"$source/kept.bin"
head -c 100 /dev/urandom >"$source/sub/inner.bin"
# Last-write times shown in the log: an odd second (the packed form holds even seconds only) and
# a time before 1980, which the packed form cannot hold. The copies keep them to the 100
# nanoseconds a FILETIME holds.
touch -d '2003-03-21 09:05:09.123456700' "$source/alpha.bin" "$source/tiny.bin"
touch -d '2019-12-31 23:59:58.500000000' "$source/notes.txt" "$source/two words.doc"
touch -d '1975-06-01 12:00:00' "$source/kept.bin" "$source/empty.dat"
touch -d '2011-11-11 11:11:11.000000100' "$source/sub/inner.bin"
chmod -R a+rX "$source"

# run_folder FOLDER SOURCE: the folder a program starts in: its settings file presetting SOURCE
# (relative, with the platform's separators) and the destination "saved", which already holds a
# file named like one of the source files.
run_folder() {
  mkdir -p "$1/saved"
  echo "my own kept.bin" >"$1/saved/kept.bin"
  e2e_settings "$1/sorvel.ini" "$2" saved "logSettings: yes" "copySubfolders: yes"
}
linux="$E2E_DIR/linux"
windows="$E2E_DIR/windows"
run_folder "$linux" "../source/*.*"
run_folder "$windows" '..\source\*.*'
wine_own "$windows"

# ---- the two runs ------------------------------------------------------------------------------
# timed_run NAME RUN FOLDER: one whole run of the program in SORVEL by the function RUN
# (e2e_run_copy or wine_run_copy), from its start to its end.
timed_run() {
  local started milliseconds
  started="$(date +%s%N)"
  "$2" "$3" "$3/sorvel.log.htm" "$E2E_END_VERIFIED" 300
  milliseconds=$((($(date +%s%N) - started) / 1000000))
  e2e_log "$1: $((milliseconds / 1000)).$(printf %03d $((milliseconds % 1000))) s from start to end"
}
SORVEL="$linuxProgram"
timed_run "Linux program" e2e_run_copy "$linux"
SORVEL="$E2E_DIR/windows-program"
wine_write_launcher "$SORVEL" "$windowsProgram"
timed_run "Windows program ($WINE_BITS-bit, Wine)" wine_run_copy "$windows"

# ---- the copies ----------------------------------------------------------------------------------
for name in alpha.bin notes.txt "two words.doc" tiny.bin sub/inner.bin; do
  e2e_expect_same "Linux copy of $name" "$source/$name" "$linux/saved/$name"
  e2e_expect_same "Windows copy of $name" "$source/$name" "$windows/saved/$name"
  e2e_expect_equal "the last-write time of the Linux copy of $name" \
    "$(stat -c %y "$source/$name")" "$(stat -c %y "$linux/saved/$name")"
  e2e_expect_equal "the last-write time of the Windows copy of $name" \
    "$(stat -c %y "$source/$name")" "$(stat -c %y "$windows/saved/$name")"
done
e2e_expect_equal "the subfolder on Windows holds what it holds on Linux" \
  "$(cd "$linux/saved/sub" && ls -A)" "$(cd "$windows/saved/sub" && ls -A)"
e2e_expect_equal "the destination on Windows holds what it holds on Linux" \
  "$(cd "$linux/saved" && ls -A)" "$(cd "$windows/saved" && ls -A)"
e2e_expect_same "the file kept at the destination" "$linux/saved/kept.bin" \
  "$windows/saved/kept.bin"
e2e_expect_equal "the Windows program's folder holds what the Linux program's holds" \
  "$(cd "$linux" && ls -A)" "$(cd "$windows" && ls -A)"
[ -e "$windows/sorvel.tr" ] && e2e_fail "the Windows program left its scratch file behind"

# ---- the logs and the settings files -------------------------------------------------------
# to_linux_paths: the separators of the paths the Windows program was given and built, as on
# Linux; nothing else is changed.
to_linux_paths() {
  sed 's#\.\.\\source\\\*\.\*#../source/*.*#g; s#saved\\#saved/#g; s#sub\\inner\.bin#sub/inner.bin#g'
}
# without_time_stamp: the log without the line of the run's time stamp.
without_time_stamp() { grep -v '^Logged [0-9]'; }

compare() {
  cmp -s "$2" "$3" && return 0
  e2e_fail "$1 differ:"
  diff -a "$2" "$3" | head -n 20 | cat -A >&2
}
mkdir -p "$E2E_DIR/compared"
wine_without_time_stamp <"$linux/sorvel.log.htm" >"$E2E_DIR/compared/linux.log"
wine_without_time_stamp <"$windows/sorvel.log.htm" | to_linux_paths \
  >"$E2E_DIR/compared/windows.log"
e2e_expect_equal "time stamp lines in the Linux log" 1 \
  "$(grep -c '^Logged [0-9]' "$linux/sorvel.log.htm")"
e2e_expect_equal "time stamp lines in the Windows log" 1 \
  "$(grep -c '^Logged [0-9]' "$windows/sorvel.log.htm")"
wine_compare "the logs (Linux <, Windows >)" "$E2E_DIR/compared/linux.log" \
  "$E2E_DIR/compared/windows.log"
to_linux_paths <"$windows/sorvel.ini" >"$E2E_DIR/compared/windows.ini"
wine_compare "the settings files (Linux <, Windows >)" "$linux/sorvel.ini" \
  "$E2E_DIR/compared/windows.ini"

# What both logs must hold, so that two equally wrong runs cannot pass.
e2e_expect_log_entry "copying line" "$linux/sorvel.log.htm" "Copying files ../source/*.* to saved"
e2e_expect_log_entry "Windows copying line" "$windows/sorvel.log.htm" \
  'Copying files ..\source\*.* to saved'
e2e_expect_log_entry "totals" "$linux/sorvel.log.htm" "Verified 7612bytes"
e2e_expect_grep "file of the subfolder in the Windows log" "$windows/sorvel.log.htm" \
  'Copy of "<B>sub\inner.bin</B>"'
e2e_expect_grep "source in the Windows settings" "$windows/sorvel.ini" \
  'lastSourceFile: ..\source\*.*'
e2e_finish

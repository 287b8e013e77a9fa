#!/usr/bin/env bash
# File names with blanks, non-ASCII bytes (UTF-8 and a byte that is not UTF-8), "<", ">", "&", a
# double quote and a newline: each file is copied under its own name, byte for byte; the log
# shows the names escaped, so no name can add markup to the page; a destination folder with a
# blank and non-ASCII bytes survives the settings file.
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup copy_names_test "${1:-}"
e2e_need_fuse

src="$E2E_DIR/disc"
mnt="$E2E_DIR/cd"
run="$E2E_DIR/run"
dest="$E2E_DIR/saved files "$'\xc3\xa9'
mkdir -p "$src" "$run"
names=("with blanks.bin" "caf"$'\xc3\xa9'".bin" "raw"$'\xff'"byte.bin" "a<b>c.bin" "x&y.bin"
  'say "hi".bin' "new"$'\n'"line.bin" "<img src=x onerror=alert(1)>.txt")
for name in "${names[@]}"; do
  { echo "$name"; head -c 300 /dev/urandom; } >"$src/$name"
done
e2e_mount_medium "$src" "$mnt"
e2e_start_xvfb

log="$run/sorvel.log.htm"
e2e_settings "$run/sorvel.ini" "$mnt/*.*" "$dest"
e2e_run_copy "$run" "$log" "$E2E_END_VERIFIED" 60

for name in "${names[@]}"; do
  e2e_expect_same "file named $(printf '%q' "$name")" "$src/$name" "$dest/$name"
done
e2e_expect_equal "files at the destination" "${#names[@]}" "$(find "$dest" -type f -printf x | wc -c)"
e2e_expect_log_entry "totals: files" "$log" "Processed ${#names[@]} files"

# Names in the log: escaped, never markup.
e2e_expect_grep "escaped < and >" "$log" 'Copy of "<B>a&lt;b&gt;c.bin</B>"'
e2e_expect_grep "escaped &" "$log" 'Copy of "<B>x&amp;y.bin</B>"'
e2e_expect_grep "escaped markup name" "$log" "&lt;img src=x onerror=alert(1)&gt;.txt"
e2e_expect_no_grep "raw markup from a name" "$log" "<img"
e2e_expect_no_grep "raw < from a name" "$log" "a<b>c"
e2e_expect_grep "UTF-8 name kept" "$log" "caf"$'\xc3\xa9'".bin"

# The destination with a blank and non-ASCII bytes is written back unchanged.
e2e_expect_grep "settings: destination" "$run/sorvel.ini" "lastDestinyFolder: $dest"$'\r'

e2e_finish

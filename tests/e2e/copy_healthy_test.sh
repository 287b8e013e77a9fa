#!/usr/bin/env bash
# The real program copies a folder of healthy files from a read-only medium: every file byte for
# byte, an empty file reported and not copied, a sub-folder passed over, a file that already
# exists at the destination left as it was; the medium is never changed (no write attempt at all);
# the log has the per-file summaries and totals; the settings file is written back at exit.
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup copy_healthy_test "${1:-}"
e2e_need_fuse
e2e_start_xvfb

src="$E2E_DIR/disc"
mnt="$E2E_DIR/cd"
run="$E2E_DIR/run"
out="$E2E_DIR/out"
dest="$out/saved"
mkdir -p "$src/sub" "$run" "$out"
head -c 20000 /dev/urandom >"$src/alpha.bin"
seq 1 1000 | tr '\n' ' ' | head -c 3000 >"$src/notes.txt"
head -c 1 /dev/urandom >"$src/tiny.bin"
: >"$src/empty.dat"
head -c 500 /dev/urandom >"$src/kept.bin"
head -c 100 /dev/urandom >"$src/sub/inner.bin"
checksums() { (cd "$src" && find . -type f -print0 | sort -z | xargs -0 md5sum); }
checksums_before="$(checksums)"
e2e_mount_medium "$src" "$mnt"

# The destination already holds a file named like one of the source files.
mkdir -p "$dest"
echo "my own kept.bin" >"$dest/kept.bin"
e2e_settings "$run/sorvel.ini" "$mnt/*.*" "$dest"
e2e_run_copy "$run" "$run/sorvel.log.htm" "$E2E_END_VERIFIED" 120

# Files.
for name in alpha.bin notes.txt tiny.bin; do
  e2e_expect_same "copy of $name" "$src/$name" "$dest/$name"
done
[ -e "$dest/empty.dat" ] && e2e_fail "an empty file was copied"
[ -e "$dest/sub" ] && e2e_fail "a sub-folder was copied"
e2e_expect_equal "existing destination file" "my own kept.bin" "$(cat "$dest/kept.bin")"
e2e_expect_equal "files at the destination" "alpha.bin kept.bin notes.txt tiny.bin" \
  "$(ls "$dest" | tr '\n' ' ' | sed 's/ $//')"

# The medium: unchanged, and the program never tried to change it.
counts="$(e2e_counts "$mnt")"
e2e_expect_equal "attempts to change the medium" 0 "$(e2e_refused "$counts")"
e2e_unmount_medium "$mnt"
e2e_expect_equal "medium content" "$checksums_before" "$(checksums)"

# The log.
log="$run/sorvel.log.htm"
e2e_expect_log_entry "alpha summary" "$log" \
  "Read 20000bytes of 20000bytes, written 20000bytes, verified 20000bytes"
e2e_expect_log_entry "notes summary" "$log" \
  "Read 3000bytes of 3000bytes, written 3000bytes, verified 3000bytes"
e2e_expect_log_entry "tiny summary" "$log" "Read 1bytes of 1bytes, written 1bytes, verified 1bytes"
e2e_expect_log_entry "empty file" "$log" 'Copy of "<B>empty.dat</B>", is empty'
e2e_expect_log_entry "existing file" "$log" 'Copy of "<B>kept.bin</B>", file already exists'
e2e_expect_log_entry "copying line" "$log" "Copying files $mnt/*.* to $dest"
e2e_expect_log_entry "totals: files" "$log" "Processed 4 files"
e2e_expect_log_entry "totals: read" "$log" "Read 23001bytes"
e2e_expect_log_entry "totals: written" "$log" "Written 23001bytes"
e2e_expect_log_entry "totals: verified" "$log" "Verified 23001bytes"
e2e_expect_no_grep "log of a healthy copy" "$log" "unable"
e2e_expect_no_grep "sub-folder in the log" "$log" "inner.bin"

# The settings file written at exit keeps the preset options, source and destination.
ini="$run/sorvel.ini"
e2e_expect_grep "settings: source" "$ini" "lastSourceFile: $mnt/*.*"
e2e_expect_grep "settings: destination" "$ini" "lastDestinyFolder: $dest"
e2e_expect_grep "settings: depthRead" "$ini" "depthRead: 2"
e2e_expect_grep "settings: verifyData" "$ini" "verifyData: yes"
e2e_expect_equal "settings: lines not ended by CR LF" 0 "$(grep -cv $'\r$' "$ini")"
e2e_expect_equal "settings: number of lines" 39 "$(wc -l <"$ini")"
[ -e "$run/sorvel.tr" ] && e2e_fail "a scratch file was left in the program's folder"

e2e_finish

#!/usr/bin/env bash
# The destination runs out of space part-way through a file: the cut copy keeps its temporary
# name and a map of what it holds, the log has the write error, and the run goes on with the next
# file; a second run, with room, goes on from the cut copy and completes it. The
# destination is a small tmpfs that is nearly full; once the failure is in the log, the test frees
# space (as another program might), while the medium holds the next file's first read back for a
# few seconds, so that the next file finds room and is copied whole.
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup copy_destination_full_test "${1:-}"
e2e_need_fuse

src="$E2E_DIR/disc"
mnt="$E2E_DIR/cd"
run="$E2E_DIR/run"
small="$E2E_DIR/small"
dest="$small/saved"
mkdir -p "$src" "$run" "$small"
if ! mount -t tmpfs -o size=1m,mode=0755 sorvel_e2e_small "$small" 2>"$E2E_DIR/mount.err"; then
  e2e_skip "cannot mount a small tmpfs here: $(cat "$E2E_DIR/mount.err")"
fi
E2E_EXTRA_MOUNTS+=("$small")
page=4096
free_pages=8
dd if=/dev/zero of="$small/filler" bs=$page count=$((256 - free_pages)) status=none
mkdir -p "$dest"

head -c 60000 /dev/urandom >"$src/a-big.bin"
head -c 5000 /dev/urandom >"$src/b-next.bin"
echo "b-next.bin 0 0 slow 3000" >"$E2E_DIR/rules"
e2e_mount_medium "$src" "$mnt" "$E2E_DIR/rules"
e2e_start_xvfb

log="$run/sorvel.log.htm"
e2e_settings "$run/sorvel.ini" "$mnt/*.*" "$dest"
e2e_start_run "$run" "$log"
if e2e_wait_file_grep 60 "$log" 'Copy "a-big.bin", unable write file'; then
  rm -f "$small/filler"
else
  e2e_fail "no write error for a-big.bin in the log within 60 s"
fi
e2e_wait_file_grep 60 "$log" "$E2E_END_VERIFIED" || e2e_fail "the run did not end within 60 s"
e2e_close_program 30
e2e_expect_equal "exit code of the program" 0 "$E2E_PROGRAM_EXIT"

# The cut copy keeps its temporary name and a map of what it holds, never the real name: a later
# run goes on from it. (Where the full disk left no room for the map, the copy gave back its last
# pages to make room; it holds a prefix of what was written.)
if [ -e "$dest/a-big.bin" ]; then
  e2e_fail "the cut copy stands under the real name ($(e2e_size "$dest/a-big.bin") bytes)"
fi
[ -s "$dest/a-big.bin.sorvel-map" ] || e2e_fail "no map beside the cut copy"
written="$(e2e_log_entries "$log" | sed -n 's/^Read [0-9]*bytes of 60000bytes, written \([0-9]*\)bytes.*/\1/p')"
partial="$(e2e_size "$dest/a-big.bin.sorvel-part")"
if [ -z "$written" ] || [ "$written" -le 0 ] || [ "$written" -gt $((free_pages * page)) ] ||
  [ "$partial" -gt "$written" ]; then
  e2e_fail "cut copy of $partial bytes, $written written; expected 1 to $((free_pages * page))"
fi
head -c "$partial" "$src/a-big.bin" >"$E2E_DIR/prefix"
e2e_expect_same "cut copy" "$E2E_DIR/prefix" "$dest/a-big.bin.sorvel-part"
e2e_expect_log_entry "write error" "$log" 'Copy "a-big.bin", unable write file'
e2e_expect_log_entry "copy error" "$log" 'Copy "a-big.bin", unable copy'
e2e_expect_log_entry "partial summary" "$log" \
  "Read $((written + 1))bytes of 60000bytes, written ${written}bytes, verified ${written}bytes"

# The next file is copied whole.
e2e_expect_same "next file" "$src/b-next.bin" "$dest/b-next.bin"
e2e_expect_log_entry "next file summary" "$log" \
  "Read 5000bytes of 5000bytes, written 5000bytes, verified 5000bytes"
e2e_expect_log_entry "totals: files" "$log" "Processed 2 files"
e2e_expect_log_entry "totals: written" "$log" "Written $((written + 5000))bytes"

# Space was freed: the next run goes on from the cut copy and completes it.
saved="$(e2e_map_saved "$dest/a-big.bin.sorvel-map")"
mkdir -p "$E2E_DIR/second"
log2="$E2E_DIR/second/sorvel.log.htm"
e2e_settings "$E2E_DIR/second/sorvel.ini" "$mnt/a-big.bin" "$dest"
e2e_run_copy "$E2E_DIR/second" "$log2" "$E2E_END_VERIFIED" 60
e2e_expect_same "completed copy" "$src/a-big.bin" "$dest/a-big.bin"
e2e_expect_log_entry "resumed" "$log2" "resumed at ${saved}bytes"
e2e_expect_log_entry "whole summary" "$log2" \
  "Read 60000bytes of 60000bytes, written 60000bytes, verified 60000bytes"
for left in "$dest/a-big.bin.sorvel-part" "$dest/a-big.bin.sorvel-map"; do
  [ -e "$left" ] && e2e_fail "$left is left after the completed copy"
done

e2e_finish

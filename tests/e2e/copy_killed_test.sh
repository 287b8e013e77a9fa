#!/usr/bin/env bash
# The program is killed part-way through a slow copy from the test medium, then run again: the
# interrupted copy never stands under the file's real name, and the second run goes on from it
# (its map says what it holds): the bytes saved are not read again, and the copy is whole.
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup copy_killed_test "${1:-}"
e2e_need_fuse
e2e_start_xvfb

src="$E2E_DIR/disc"
mnt="$E2E_DIR/cd"
out="$E2E_DIR/out"
mkdir -p "$src" "$out" "$E2E_DIR/first" "$E2E_DIR/second"
head -c 200000 /dev/urandom >"$src/big.bin"
# Reads reaching the second half are held back, so the copy is caught half done, after its map
# was written (a few seconds into the copy).
echo "big.bin 100000 199999 slow 3000" >"$E2E_DIR/rules"
e2e_mount_medium "$src" "$mnt" "$E2E_DIR/rules"

e2e_settings "$E2E_DIR/first/sorvel.ini" "$mnt/big.bin" "$out"
e2e_start_run "$E2E_DIR/first" "$E2E_DIR/first/sorvel.log.htm"
e2e_wait_until 20 test -s "$out/big.bin.sorvel-map" ||
  e2e_fail "no map beside the partial copy within 20 s"
kill -KILL "$E2E_PROGRAM_PID"
e2e_wait_pid "$E2E_PROGRAM_PID" 10
E2E_PROGRAM_PID=""
if [ -e "$out/big.bin" ]; then
  e2e_fail "a copy of $(e2e_size "$out/big.bin") bytes stands under the real name after the kill"
fi
sleep 4  # the held-back read ends before the medium is unmounted
e2e_unmount_medium "$mnt"

saved="$(e2e_map_saved "$out/big.bin.sorvel-map")"
[ "$saved" -gt 0 ] || e2e_fail "the map of the killed copy calls nothing saved"
# The bytes the map calls saved (from the start) now fail every read: a copy that read them again
# would differ from the source.
echo "big.bin 0 $((saved - 1)) eio 0" >"$E2E_DIR/rules"
e2e_mount_medium "$src" "$mnt" "$E2E_DIR/rules"
e2e_settings "$E2E_DIR/second/sorvel.ini" "$mnt/big.bin" "$out"
e2e_run_copy "$E2E_DIR/second" "$E2E_DIR/second/sorvel.log.htm" "$E2E_END_VERIFIED" 120
e2e_expect_same "copy of the second run" "$src/big.bin" "$out/big.bin"
e2e_expect_equal "reads of the saved bytes in the second run" 0 \
  "$(e2e_max_reads "$(e2e_counts "$mnt")" big.bin)"
e2e_expect_log_entry "second run: resumed" "$E2E_DIR/second/sorvel.log.htm" \
  "resumed at ${saved}bytes"
e2e_expect_log_entry "second run: whole summary" "$E2E_DIR/second/sorvel.log.htm" \
  "Read 200000bytes of 200000bytes, written 200000bytes, verified 200000bytes"
e2e_expect_no_grep "second run: no existing file" "$E2E_DIR/second/sorvel.log.htm" \
  "file already exists"
for left in "$out/big.bin.sorvel-part" "$out/big.bin.sorvel-map"; do
  [ -e "$left" ] && e2e_fail "$left is left after the completed copy"
done
e2e_unmount_medium "$mnt"
e2e_finish

#!/usr/bin/env bash
# The program is killed part-way through a slow copy from the test medium, then run again: the
# interrupted copy never stands under the file's real name, and the second run copies the file
# whole (the leftover under the temporary name is not taken for a saved copy).
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
# Reads reaching the second half are held back, so the copy is caught half done.
echo "big.bin 100000 199999 slow 3000" >"$E2E_DIR/rules"
e2e_mount_medium "$src" "$mnt" "$E2E_DIR/rules"

e2e_settings "$E2E_DIR/first/sorvel.ini" "$mnt/big.bin" "$out"
e2e_start_run "$E2E_DIR/first" "$E2E_DIR/first/sorvel.log.htm"
e2e_wait_until 20 test -s "$out/big.bin.sorvel-part" ||
  e2e_fail "no partial copy under the temporary name within 20 s"
kill -KILL "$E2E_PROGRAM_PID"
e2e_wait_pid "$E2E_PROGRAM_PID" 10
E2E_PROGRAM_PID=""
if [ -e "$out/big.bin" ]; then
  e2e_fail "a copy of $(e2e_size "$out/big.bin") bytes stands under the real name after the kill"
fi
sleep 4  # the held-back read ends before the medium is unmounted
e2e_unmount_medium "$mnt"

: >"$E2E_DIR/rules"
e2e_mount_medium "$src" "$mnt" "$E2E_DIR/rules"
e2e_settings "$E2E_DIR/second/sorvel.ini" "$mnt/big.bin" "$out"
e2e_run_copy "$E2E_DIR/second" "$E2E_DIR/second/sorvel.log.htm" "$E2E_END_VERIFIED" 120
e2e_expect_same "copy of the second run" "$src/big.bin" "$out/big.bin"
e2e_expect_no_grep "second run: no existing file" "$E2E_DIR/second/sorvel.log.htm" \
  "file already exists"
e2e_unmount_medium "$mnt"
e2e_finish

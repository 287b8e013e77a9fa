#!/usr/bin/env bash
# A sparse file of more than 4 GiB on the medium, with data around the 2 GiB and 4 GiB marks and a
# bad byte above 4 GiB: it is copied whole (zero in place of the bad byte), and the sizes and
# totals in the log are the full 64-bit numbers. It writes more than 4 GiB (about a minute where
# healthy stretches are copied in blocks, hours byte by byte), so it runs only when
# SORVEL_SLOW_TESTS=1; the deadline is SORVEL_SLOW_HOURS (default 24) hours.
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup copy_large_test "${1:-}"
[ "${SORVEL_SLOW_TESTS:-0}" = 1 ] || e2e_skip "a slow test: set SORVEL_SLOW_TESTS=1 to run it"
e2e_need_fuse

src="$E2E_DIR/disc"
mnt="$E2E_DIR/cd"
run="$E2E_DIR/run"
dest="$E2E_DIR/saved"
mkdir -p "$src" "$run"
# SORVEL_LARGE_BYTES changes the size, only to try the script itself on a small file.
size="${SORVEL_LARGE_BYTES:-$((4294967296 + 3000))}"
bad=$((size - 2000))
truncate -s "$size" "$src/huge.bin"
# Data at the start, around the middle (2 GiB), across 4 GiB and at the end.
for mark in 0 $((size / 2 - 500)) $((size - 3500)) $((size - 1000)); do
  head -c 1000 /dev/urandom | dd of="$src/huge.bin" bs=1 seek="$mark" conv=notrunc status=none
done
echo "huge.bin $bad $bad fail 0" >"$E2E_DIR/rules"
e2e_mount_medium "$src" "$mnt" "$E2E_DIR/rules"
e2e_start_xvfb

log="$run/sorvel.log.htm"
e2e_settings "$run/sorvel.ini" "$mnt/*.*" "$dest" "verifyData: no" "depthRead: 1"
e2e_run_copy "$run" "$log" "$E2E_END_WRITTEN" $((${SORVEL_SLOW_HOURS:-24} * 3600))

e2e_expect_equal "size of the copy" "$size" "$(e2e_size "$dest/huge.bin")"
e2e_with_zeros "$src/huge.bin" "$E2E_DIR/expected.bin" "$bad" "$bad"
e2e_expect_same "copy of the large file" "$E2E_DIR/expected.bin" "$dest/huge.bin"
e2e_expect_log_entry "summary" "$log" "Read $((size - 1))bytes of ${size}bytes, written ${size}bytes"
e2e_expect_log_entry "totals: read" "$log" "Read $((size - 1))bytes"
e2e_expect_log_entry "totals: written" "$log" "Written ${size}bytes"
e2e_expect_equal "reads aimed at the bad byte" 2 "$(e2e_starts "$(e2e_counts "$mnt")" huge.bin "$bad")"

e2e_finish

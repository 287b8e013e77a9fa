#!/usr/bin/env bash
# Verification against a destination that does not keep what it is given: a writable test medium
# with the kernel's page cache in use, where a range of one file keeps zeros in place of the
# 4 KiB written there while every write reports success. The cache holds the right bytes, so only
# a read-back that reaches the medium finds the loss. Three runs:
#   direct:      the medium accepts O_DIRECT
#   cache drop:  the medium refuses O_DIRECT, so the layer drops the cached pages instead
#   no verify:   verifyData off: nothing of the copy is read back at all
# With verification, exactly the lost bytes that differ from the source are "unable verify", the
# healthy file on the same medium verifies whole, and each lost byte was read from the medium at
# least depthVerify times.
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup copy_verify_medium_test "${1:-}"
e2e_need_fuse
e2e_start_xvfb

depth=2
src="$E2E_DIR/source"
mkdir -p "$src"
head -c 300000 /dev/urandom >"$src/lost.bin"
head -c 200000 /dev/urandom >"$src/healthy.bin"
first=40960
last=$((first + 4095))
# The copy is written under its temporary name until it is done: the rule names that file.
echo "lost.bin.sorvel-part $first $last store 0" >"$E2E_DIR/rules"
# The source bytes of the range that are not zero: the medium loses exactly these.
differing="$(e2e_bytes "$src/lost.bin" "$first" 4096 | tr ' ' '\n' | grep -vc '^0$')"

# run NAME FLAGS [LINE...]: copies the source onto a fresh writable medium mounted with FLAGS.
run() {
  local name="$1" flags="$2"
  shift 2
  mkdir -p "$E2E_DIR/$name" "$E2E_DIR/$name.disk"
  E2E_MEDIUM_FLAGS="$flags" e2e_mount_medium "$E2E_DIR/$name.disk" "$E2E_DIR/$name.stick" \
    "$E2E_DIR/rules"
  e2e_settings "$E2E_DIR/$name/sorvel.ini" "$src/*.*" "$E2E_DIR/$name.stick" \
    "depthVerify: $depth" "$@"
  local end="$E2E_END_VERIFIED"
  [ $# -gt 0 ] && end="$E2E_END_WRITTEN"
  e2e_run_copy "$E2E_DIR/$name" "$E2E_DIR/$name/sorvel.log.htm" "$end" 120
  e2e_counts "$E2E_DIR/$name.stick" >"$E2E_DIR/$name.counts"
  e2e_unmount_medium "$E2E_DIR/$name.stick"
}

# expect_verified_run NAME: the checks of a run with verification.
expect_verified_run() {
  local name="$1" log="$E2E_DIR/$1/sorvel.log.htm"
  e2e_with_zeros "$src/lost.bin" "$E2E_DIR/lost.expected" "$first" "$last"
  e2e_expect_same "$name: what the medium kept" "$E2E_DIR/lost.expected" "$E2E_DIR/$name.disk/lost.bin"
  e2e_expect_same "$name: healthy file" "$src/healthy.bin" "$E2E_DIR/$name.disk/healthy.bin"
  e2e_expect_log_entry "$name: lost bytes" "$log" "unable verify ${differing}bytes"
  e2e_expect_log_entry "$name: summary of the damaged copy" "$log" \
    "Read 300000bytes of 300000bytes, written 300000bytes"
  e2e_expect_log_entry "$name: summary of the healthy copy" "$log" \
    "Read 200000bytes of 200000bytes, written 200000bytes, verified 200000bytes"
  e2e_expect_log_entry "$name: verified total" "$log" "Verified $((500000 - differing))bytes"
  local reads
  reads="$(e2e_min_reads "$(cat "$E2E_DIR/$name.counts")" lost.bin.sorvel-part)"
  [ "$reads" -ge "$depth" ] ||
    e2e_fail "$name: a lost byte was read from the medium $reads times, fewer than $depth"
}

run direct "--writable"
expect_verified_run direct
run cache_drop "--writable --refuse-direct"
expect_verified_run cache_drop

run no_verify "--writable" "verifyData: no"
e2e_expect_equal "no verify: reads of the lost range" 0 \
  "$(e2e_max_reads "$(cat "$E2E_DIR/no_verify.counts")" lost.bin.sorvel-part)"
e2e_expect_no_grep "no verify: no verification warning" "$E2E_DIR/no_verify/sorvel.log.htm" \
  "unable verify"
e2e_expect_same "no verify: healthy file" "$src/healthy.bin" "$E2E_DIR/no_verify.disk/healthy.bin"

e2e_finish

#!/usr/bin/env bash
# Self-test of the test medium (tests/e2e/medium): it serves a folder read-only, fails exactly the
# byte ranges its rules name (always, the first N reads, or slowly), answers block reads with the
# good prefix (or fails them whole, as a disk does), counts the reads of every failing byte and of
# every file, refuses every change, and handles files beyond 4 GiB. Needs no display and does not start the program.
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup medium_test "${1:-}"
e2e_need_fuse

src="$E2E_DIR/src"
mnt="$E2E_DIR/mnt"
mkdir -p "$src"
head -c 3000 /dev/urandom >"$src/good.bin"
head -c 1000 /dev/urandom >"$src/bad.bin"
head -c 1000 /dev/urandom >"$src/blocks.bin"
head -c 1000 /dev/urandom >"$src/whole.bin"
head -c 500 /dev/urandom >"$src/flaky.bin"
head -c 100 /dev/urandom >"$src/slow.bin"
head -c 100 /dev/urandom >"$src/locked.bin"
head -c 200 /dev/urandom >"$src/name with blanks.bin"
four_gib=4294967296
truncate -s $((four_gib + 4096)) "$src/big.bin"
head -c 300 /dev/urandom | dd of="$src/big.bin" bs=1 seek=$((four_gib - 100)) conv=notrunc \
  status=none
cat >"$E2E_DIR/rules" <<EOF
# file first last mode N
bad.bin 100 109 fail 0
bad.bin 500 500 fail 0
blocks.bin 300 303 fail 0
whole.bin 300 303 eio 0
flaky.bin 50 52 flaky 2
slow.bin 10 19 slow 600
locked.bin 0 0 noopen 0
name with blanks.bin 7 7 fail 0
big.bin $((four_gib + 10)) $((four_gib + 11)) fail 0
EOF
# Checksums of the served files (the sparse one by its size: reading 4 GiB of holes is slow).
checksums() {
  find "$src" -type f ! -name big.bin -print0 | sort -z | xargs -0 md5sum
  stat -c %s "$src/big.bin"
}
checksums_before="$(checksums)"
e2e_mount_medium "$src" "$mnt" "$E2E_DIR/rules"

# probe FILE OFFSET LENGTH BLOCK: the reads, one "offset result" a line, joined by blanks.
probe() { "$E2E_PROBE" "$@" | tr '\n' ' ' | sed 's/ $//'; }

# A healthy file reads back whole; the listing shows the files but not the counts file.
e2e_expect_same "healthy file through the medium" "$src/good.bin" "$mnt/good.bin"
# The listing, in the medium's own order (by name, "." and ".." first), without the counts file.
listing="$(ls -f "$mnt" | tr '\n' '|')"
expected_listing=".|..|bad.bin|big.bin|blocks.bin|flaky.bin|good.bin|locked.bin|"
expected_listing+="name with blanks.bin|slow.bin|whole.bin|"
e2e_expect_equal "listing" "$expected_listing" "$listing"
[ "$(stat -c %A "$mnt/good.bin")" = "-r--r--r--" ] ||
  e2e_fail "files should show no write permission, got $(stat -c %A "$mnt/good.bin")"

# Byte by byte: exactly the failing bytes fail, each read of them counted once.
expected="98 1 99 1"
for offset in $(seq 100 109); do expected+=" $offset EIO"; done
expected+=" 110 1 111 1"
e2e_expect_equal "byte-wise reads across 100-109" "$expected" "$(probe "$mnt/bad.bin" 98 14 1)"
e2e_expect_equal "byte-wise reads at 500" "499 1 500 EIO 501 1" "$(probe "$mnt/bad.bin" 499 3 1)"
counts="$(e2e_counts "$mnt")"
e2e_expect_equal "reads of each failing byte of bad.bin" "1 1" \
  "$(e2e_min_reads "$counts" bad.bin) $(e2e_max_reads "$counts" bad.bin)"
"$E2E_PROBE" --out "$E2E_DIR/bad.out" "$mnt/bad.bin" 0 1000 1 >/dev/null
cmp -s <(head -c 100 "$src/bad.bin") <(head -c 100 "$E2E_DIR/bad.out") ||
  e2e_fail "the good bytes before a failing range differ"
cmp -s <(tail -c 499 "$src/bad.bin") <(tail -c 499 "$E2E_DIR/bad.out") ||
  e2e_fail "the good bytes after the last failing byte differ"

# Blocks: a read that starts before a failing byte delivers the good prefix only; the next read,
# starting at the failing byte, fails.
e2e_expect_equal "block reads across 300-303" "256 44 300 EIO" "$(probe "$mnt/blocks.bin" 256 45 64)"
# An "eio" range fails every read that touches it whole, even one that starts on a good byte; the
# medium counts every read of the file and the failed ones.
e2e_expect_equal "block reads across an eio range 300-303" \
  "298 EIO 299 EIO 300 EIO 301 EIO 302 EIO 303 EIO 304 2" "$(probe "$mnt/whole.bin" 298 8 4)"
e2e_expect_equal "byte-wise reads around an eio range" "299 1 300 EIO 303 EIO 304 1" \
  "$(probe "$mnt/whole.bin" 299 1 1; echo -n ' '; probe "$mnt/whole.bin" 300 1 1; echo -n ' '
    probe "$mnt/whole.bin" 303 2 1)"
e2e_expect_equal "reads and failed reads of whole.bin" "11 8" \
  "$(e2e_file_reads "$(e2e_counts "$mnt")" whole.bin)"

# Flaky bytes fail the first two reads, then read correctly.
e2e_expect_equal "first pass over flaky bytes" "49 1 50 EIO 51 EIO 52 EIO 53 1" \
  "$(probe "$mnt/flaky.bin" 49 5 1)"
e2e_expect_equal "second pass over flaky bytes" "50 EIO 51 EIO 52 EIO" \
  "$(probe "$mnt/flaky.bin" 50 3 1)"
e2e_expect_equal "third pass over flaky bytes" "50 1 51 1 52 1" \
  "$(probe --out "$E2E_DIR/flaky.out" "$mnt/flaky.bin" 50 3 1)"
cmp -s <(tail -c +51 "$src/flaky.bin" | head -c 3) <(tail -c +51 "$E2E_DIR/flaky.out") ||
  e2e_fail "flaky bytes recovered with wrong values"
counts="$(e2e_counts "$mnt")"
e2e_expect_equal "reads counted per flaky byte" "3 3" \
  "$(e2e_min_reads "$counts" flaky.bin) $(e2e_max_reads "$counts" flaky.bin)"

# Slow bytes are delivered correctly after the delay (one delay per read).
start_ms=$(date +%s%3N)
"$E2E_PROBE" --out "$E2E_DIR/slow.out" "$mnt/slow.bin" 0 100 100 >/dev/null
elapsed_ms=$(($(date +%s%3N) - start_ms))
e2e_expect_same "slow file" "$src/slow.bin" "$E2E_DIR/slow.out"
[ "$elapsed_ms" -ge 550 ] || e2e_fail "a read of the slow range took only $elapsed_ms ms"

# A file that cannot be opened at all; a name with blanks in a rule.
e2e_expect_equal "opening a locked file" "open EACCES" "$(probe "$mnt/locked.bin" 0 1 1)"
e2e_expect_equal "byte 7 of a name with blanks" "6 1 7 EIO 8 1" \
  "$(probe "$mnt/name with blanks.bin" 6 3 1)"

# Beyond 4 GiB: the size, the data around 4 GiB and a failing range above it.
e2e_expect_equal "size of the sparse file" "$((four_gib + 4096))" "$(e2e_size "$mnt/big.bin")"
e2e_expect_equal "reads above 4 GiB" \
  "$((four_gib + 8)) 2 $((four_gib + 10)) EIO $((four_gib + 11)) EIO $((four_gib + 12)) 4" \
  "$(probe "$mnt/big.bin" $((four_gib + 8)) 8 4)"
cmp -s <(dd if="$src/big.bin" bs=1 skip=$((four_gib - 100)) count=110 status=none) \
  <(dd if="$mnt/big.bin" iflag=skip_bytes,count_bytes skip=$((four_gib - 100)) count=110 \
    status=none) || e2e_fail "the data below and around 4 GiB differ"

# Every change is refused with EROFS and counted; the served folder stays as it was.
refused_before="$(e2e_refused "$(e2e_counts "$mnt")")"
attempts=("cp $src/good.bin $mnt/new.bin" "touch $mnt/good.bin" "chmod 600 $mnt/good.bin"
  "rm -f $mnt/good.bin" "mkdir $mnt/folder" "truncate -s 0 $mnt/good.bin")
for attempt in "${attempts[@]}"; do
  message="$($attempt 2>&1)" && e2e_fail "'$attempt' succeeded on the medium"
  [[ "$message" == *"Read-only file system"* ]] ||
    e2e_fail "'$attempt' should fail with EROFS, said: $message"
done
if (echo x >>"$mnt/bad.bin") 2>/dev/null; then e2e_fail "appending to a file succeeded"; fi
refused_after="$(e2e_refused "$(e2e_counts "$mnt")")"
[ "$refused_after" -ge $((refused_before + 6)) ] ||
  e2e_fail "refused changes not counted: $refused_before before, $refused_after after"

# The counts report written at unmount is the last one the control file gave.
last_report="$(e2e_counts "$mnt")"
e2e_unmount_medium "$mnt"
e2e_expect_equal "counts written at unmount" "$last_report" "$(cat "$mnt.counts")"
e2e_expect_equal "served folder unchanged" "$checksums_before" "$(checksums)"

# A malformed rules file is refused before anything is mounted.
echo "bad.bin 10 x fail 0" >"$E2E_DIR/bad-rules"
mkdir -p "$E2E_DIR/mnt2"
if "$E2E_MEDIUM" --rules "$E2E_DIR/bad-rules" "$src" "$E2E_DIR/mnt2" 2>"$E2E_DIR/bad-rules.err"; then
  e2e_fail "a malformed rules file was accepted"
fi
e2e_expect_grep "malformed rules message" "$E2E_DIR/bad-rules.err" "bad rule on line 1"

e2e_finish

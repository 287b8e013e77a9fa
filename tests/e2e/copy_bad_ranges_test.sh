#!/usr/bin/env bash
# The real program against a medium with bad areas, in three runs:
#   zero substitution:   every readable byte saved, each unreadable byte a zero, the size kept;
#                        each failing byte read exactly depthRead + 1 times by reads aimed at it
#                        (the medium also counts the block read that stopped short before it);
#                        flaky bytes that come good within the retries recovered exactly;
#                        warnings and summaries
#   random substitution: readable bytes saved, fillers in their documented ranges
#   haltOnFirstError:    each file's copy ends with its first unreadable byte, the run goes on
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup copy_bad_ranges_test "${1:-}"
e2e_need_fuse
e2e_start_xvfb

depth=3
src="$E2E_DIR/disc"
mnt="$E2E_DIR/cd"
out="$E2E_DIR/out"
mkdir -p "$src" "$out"
head -c 8000 /dev/urandom >"$src/damaged.bin"
head -c 4000 /dev/urandom >"$src/flaky.bin"
seq 1 1000 | tr '\n' ' ' | head -c 3000 >"$src/damaged.txt"
head -c 500 /dev/urandom >"$src/head.bin"
cat >"$E2E_DIR/rules" <<EOF
damaged.bin 1000 1009 fail 0
damaged.bin 5000 5000 fail 0
damaged.bin 7990 7999 fail 0
flaky.bin 100 104 flaky 2
flaky.bin 2000 2000 flaky $depth
damaged.txt 10 19 fail 0
head.bin 0 0 fail 0
EOF

# run NAME [LINE...]: one run of the program from a fresh mount into $out/NAME, with the medium's
# counts left in $E2E_DIR/NAME.counts.
run() {
  local name="$1"
  shift
  mkdir -p "$E2E_DIR/$name"
  e2e_mount_medium "$src" "$mnt" "$E2E_DIR/rules"
  e2e_settings "$E2E_DIR/$name/sorvel.ini" "$mnt/*.*" "$out/$name" "depthRead: $depth" "$@"
  e2e_run_copy "$E2E_DIR/$name" "$E2E_DIR/$name/sorvel.log.htm" "$E2E_END_VERIFIED" 120
  e2e_counts "$mnt" >"$E2E_DIR/$name.counts"
  e2e_unmount_medium "$mnt"
}

# ---- zero substitution (the destination folder is created by the program) ----
run zero "subDamagedBitByZero: yes"
dest="$out/zero"
log="$E2E_DIR/zero/sorvel.log.htm"
counts="$(cat "$E2E_DIR/zero.counts")"
e2e_with_zeros "$src/damaged.bin" "$E2E_DIR/damaged.expected" 1000 1009 5000 5000 7990 7999
e2e_expect_same "damaged.bin with zeros" "$E2E_DIR/damaged.expected" "$dest/damaged.bin"
e2e_with_zeros "$src/damaged.txt" "$E2E_DIR/damaged.txt.expected" 10 19
e2e_expect_same "damaged.txt with zeros" "$E2E_DIR/damaged.txt.expected" "$dest/damaged.txt"
e2e_with_zeros "$src/head.bin" "$E2E_DIR/head.expected" 0 0
e2e_expect_same "head.bin with zeros" "$E2E_DIR/head.expected" "$dest/head.bin"
e2e_expect_same "flaky bytes recovered" "$src/flaky.bin" "$dest/flaky.bin"
for file in damaged.bin damaged.txt head.bin; do
  e2e_expect_equal "reads aimed at each failing byte of $file (min max)" \
    "$((depth + 1)) $((depth + 1))" \
    "$(e2e_min_starts "$counts" "$file") $(e2e_max_starts "$counts" "$file")"
  # Healthy stretches are read in blocks; a block read stops short before a failing byte, and the
  # medium counts it for each failing byte the block covered. The bytes skipped after a failed
  # read are read back from the end of their area in blocks halved after each that stops short
  # (at most 16 for 64 KiB), which may cover a failing byte again.
  max_reads="$(e2e_max_reads "$counts" "$file")"
  [ "$max_reads" -le $((depth + 3 + 16)) ] ||
    e2e_fail "reads counted for a failing byte of $file: $max_reads, more than $((depth + 19))"
done
flaky_reads="$(for offset in 100 101 102 103 104; do e2e_reads "$counts" flaky.bin $offset; done)"
e2e_expect_equal "reads of the flaky bytes 100-104" "3 3 3 3 3" "$(echo $flaky_reads)"
e2e_expect_equal "reads of the flaky byte 2000" "$((depth + 1))" "$(e2e_reads "$counts" flaky.bin 2000)"
e2e_expect_log_entry "unreadable bytes of damaged.bin" "$log" "unable read 21bytes"
e2e_expect_log_entry "damaged.bin summary" "$log" \
  "Read 7979bytes of 8000bytes, written 8000bytes, verified 8000bytes"
e2e_expect_log_entry "unreadable bytes of damaged.txt" "$log" "unable read 10bytes"
e2e_expect_log_entry "damaged.txt summary" "$log" \
  "Read 2990bytes of 3000bytes, written 3000bytes, verified 3000bytes"
e2e_expect_log_entry "head.bin summary" "$log" \
  "Read 499bytes of 500bytes, written 500bytes, verified 500bytes"
e2e_expect_log_entry "flaky.bin summary" "$log" \
  "Read 4000bytes of 4000bytes, written 4000bytes, verified 4000bytes"
e2e_expect_log_entry "totals: files" "$log" "Processed 4 files"
e2e_expect_log_entry "totals: read" "$log" "Read 15468bytes"
e2e_expect_log_entry "totals: written" "$log" "Written 15500bytes"
e2e_expect_log_entry "totals: verified" "$log" "Verified 15500bytes"
e2e_expect_equal "warnings in the log" 3 "$(grep -c 'unable read' "$log")"
e2e_expect_no_grep "errors in the log" "$log" "unable copy"

# ---- random substitution ----
run random "subDamagedBitByZero: no"
dest="$out/random"
log="$E2E_DIR/random/sorvel.log.htm"
for file in damaged.bin damaged.txt head.bin; do
  e2e_expect_equal "size of $file" "$(e2e_size "$src/$file")" "$(e2e_size "$dest/$file")"
done
# The readable bytes are the source's: zero both sides' bad ranges and compare.
e2e_with_zeros "$dest/damaged.bin" "$E2E_DIR/random.zeroed" 1000 1009 5000 5000 7990 7999
e2e_expect_same "readable bytes of damaged.bin" "$E2E_DIR/damaged.expected" "$E2E_DIR/random.zeroed"
e2e_with_zeros "$dest/damaged.txt" "$E2E_DIR/random.txt.zeroed" 10 19
e2e_expect_same "readable bytes of damaged.txt" "$E2E_DIR/damaged.txt.expected" \
  "$E2E_DIR/random.txt.zeroed"
e2e_expect_same "flaky bytes recovered" "$src/flaky.bin" "$dest/flaky.bin"
fillers="$(e2e_bytes "$dest/damaged.bin" 1000 10) $(e2e_bytes "$dest/damaged.bin" 5000 1)"
fillers+=" $(e2e_bytes "$dest/damaged.bin" 7990 10) $(e2e_bytes "$dest/head.bin" 0 1)"
for value in $fillers; do
  [ "$value" -le 254 ] || e2e_fail "filler $value of a binary file is outside 0-254 ($fillers)"
done
[ -n "$(tr -d ' 0' <<<"$fillers")" ] || e2e_fail "random substitution wrote only zeros"
text_fillers="$(e2e_bytes "$dest/damaged.txt" 10 10)"
for value in $text_fillers; do
  [ "$value" -ge 65 ] && [ "$value" -le 131 ] ||
    e2e_fail "filler $value of a text file is outside 65-131 ($text_fillers)"
done
e2e_expect_log_entry "unreadable bytes of damaged.bin" "$log" "unable read 21bytes"
e2e_expect_log_entry "damaged.bin summary" "$log" \
  "Read 7979bytes of 8000bytes, written 8000bytes, verified 8000bytes"

# ---- haltOnFirstError: each damaged file ends with its first substitute, the others are whole ---
run halt "subDamagedBitByZero: yes" "haltOnFirstError: yes"
dest="$out/halt"
log="$E2E_DIR/halt/sorvel.log.htm"
counts="$(cat "$E2E_DIR/halt.counts")"
head -c 1001 "$E2E_DIR/damaged.expected" >"$E2E_DIR/damaged.halted"
head -c 11 "$E2E_DIR/damaged.txt.expected" >"$E2E_DIR/damaged.txt.halted"
head -c 1 "$E2E_DIR/head.expected" >"$E2E_DIR/head.halted"
e2e_expect_same "damaged.bin up to its first bad byte" "$E2E_DIR/damaged.halted" "$dest/damaged.bin"
e2e_expect_same "damaged.txt up to its first bad byte" "$E2E_DIR/damaged.txt.halted" \
  "$dest/damaged.txt"
e2e_expect_same "head.bin up to its first bad byte" "$E2E_DIR/head.halted" "$dest/head.bin"
e2e_expect_same "flaky.bin (recovered, not halted)" "$src/flaky.bin" "$dest/flaky.bin"
e2e_expect_equal "reads aimed at damaged.bin bytes 1000 and 1001" "$((depth + 1)) 0" \
  "$(e2e_starts "$counts" damaged.bin 1000) $(e2e_starts "$counts" damaged.bin 1001)"
e2e_expect_log_entry "damaged.bin halted" "$log" 'Copy "damaged.bin", unable copy'
e2e_expect_log_entry "damaged.txt halted" "$log" 'Copy "damaged.txt", unable copy'
e2e_expect_log_entry "head.bin halted" "$log" 'Copy "head.bin", unable copy'
e2e_expect_grep "damaged.bin summary" "$log" ">Read 1000bytes of 8000bytes, written 1001bytes"
e2e_expect_equal "unreadable-byte warnings" 3 "$(grep -c '>unable read 1bytes </FONT>' "$log")"
e2e_expect_log_entry "flaky.bin summary" "$log" \
  "Read 4000bytes of 4000bytes, written 4000bytes, verified 4000bytes"

e2e_finish

#!/usr/bin/env bash
# The real program with sectorSize 512 against a medium that fails reads as a disk does: a read
# touching a bad byte fails whole ("eio" rules), and, in one file, a medium that delivers the good
# bytes before a bad one ("fail" rules). A byte that fails every read gives up the rest of its
# sector: the copy holds every byte read before it, a zero for it and for the rest of its sector,
# and the next sector is read afresh. Each bad sector costs depthRead + 1 reads aimed at its first
# bad byte and none at the bytes given up, and at most two more failed reads that located it.
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup copy_sectors_test "${1:-}"
e2e_need_fuse
e2e_start_xvfb

depth=3
sector=512
src="$E2E_DIR/disc"
mnt="$E2E_DIR/disk"
dest="$E2E_DIR/out"
mkdir -p "$src"
# Source bytes are never zero, so that a zero in the copy is always a substitute.
random_bytes() { head -c "$1" /dev/urandom | tr '\000' '\001'; }
random_bytes 20000 >"$src/sectors.bin"
random_bytes 3000 >"$src/prefix.bin"
random_bytes 300 >"$src/tiny.bin"
# sectors.bin (39 whole sectors and 32 bytes): sector 4 bad whole; a bad area from the middle of
# sector 9 into sector 10; one bad byte in the short last sector. prefix.bin: a bad area inside
# sector 1 on a medium that reads the good bytes before it in a block. tiny.bin: shorter than one
# sector, bad from byte 100.
cat >"$E2E_DIR/rules" <<EOF
sectors.bin 2048 2559 eio 0
sectors.bin 5000 5200 eio 0
sectors.bin 19990 19990 eio 0
prefix.bin 700 710 fail 0
tiny.bin 100 100 eio 0
EOF
# file FIRST-BAD-BYTES...: the first bad byte of each bad sector, where its reads are aimed.
first_bad_sectors_bin="2048 5000 5120 19990"
first_bad_prefix_bin="700"
first_bad_tiny_bin="100"

e2e_mount_medium "$src" "$mnt" "$E2E_DIR/rules"
mkdir -p "$E2E_DIR/run"
e2e_settings "$E2E_DIR/run/sorvel.ini" "$mnt/*.*" "$dest" "depthRead: $depth" \
  "sectorSize: $sector"
log="$E2E_DIR/run/sorvel.log.htm"
e2e_run_copy "$E2E_DIR/run" "$log" "$E2E_END_VERIFIED" 120
counts="$(e2e_counts "$mnt")"
e2e_unmount_medium "$mnt"

# The copies: the bytes given up (from the first bad byte to the end of its sector) are zeros,
# every other byte is the source's, good bytes after a bad area in the same sector included.
e2e_with_zeros "$src/sectors.bin" "$E2E_DIR/sectors.expected" 2048 2559 5000 5631 19990 19999
e2e_expect_same "sectors.bin" "$E2E_DIR/sectors.expected" "$dest/sectors.bin"
e2e_with_zeros "$src/prefix.bin" "$E2E_DIR/prefix.expected" 700 1023
e2e_expect_same "prefix.bin" "$E2E_DIR/prefix.expected" "$dest/prefix.bin"
e2e_with_zeros "$src/tiny.bin" "$E2E_DIR/tiny.expected" 100 299
e2e_expect_same "tiny.bin" "$E2E_DIR/tiny.expected" "$dest/tiny.bin"

# The reads: depthRead + 1 aimed at each first bad byte, none at a byte given up, and per bad
# sector at most two failed reads besides them.
for file in sectors.bin prefix.bin tiny.bin; do
  variable="first_bad_${file//./_}"
  firsts="${!variable}"
  aimed=""
  for offset in $firsts; do aimed+="$(e2e_starts "$counts" "$file" "$offset") "; done
  expected_aimed="$(for _ in $firsts; do echo -n "$((depth + 1)) "; done)"
  e2e_expect_equal "reads aimed at the first bad bytes of $file" "$expected_aimed" "$aimed"
  all_starts="$(awk -v file="$file" '$1 == "start" {
      name = $0; sub(/^start [0-9]+ [0-9]+ /, "", name)
      if (name == file) sum += $3
    } END { print sum + 0 }' <<<"$counts")"
  bad_sectors=$(wc -w <<<"$firsts")
  e2e_expect_equal "reads aimed at bytes given up in $file" 0 \
    "$((all_starts - bad_sectors * (depth + 1)))"
  read -r reads failed <<<"$(e2e_file_reads "$counts" "$file")"
  [ "$failed" -ge $((bad_sectors * (depth + 1))) ] &&
    [ "$failed" -le $((bad_sectors * (depth + 3))) ] ||
    e2e_fail "failed reads of $file: $failed for $bad_sectors bad sectors (of $reads reads)"
done

e2e_expect_log_entry "unreadable bytes of sectors.bin" "$log" "unable read 1154bytes"
e2e_expect_log_entry "sectors.bin summary" "$log" \
  "Read 18846bytes of 20000bytes, written 20000bytes, verified 20000bytes"
e2e_expect_log_entry "prefix.bin summary" "$log" \
  "Read 2676bytes of 3000bytes, written 3000bytes, verified 3000bytes"
e2e_expect_log_entry "tiny.bin summary" "$log" \
  "Read 100bytes of 300bytes, written 300bytes, verified 300bytes"
e2e_expect_equal "warnings in the log" 3 "$(grep -c 'unable read' "$log")"

e2e_finish

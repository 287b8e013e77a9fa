#!/usr/bin/env bash
# Good data first, on a failing disk with the kernel in between (bench/loop_medium.sh): the failed
# reads of the medium before every readable byte of a file was read, by the program with its
# default settings and by GNU ddrescue in direct mode with the same retry count (depthRead, 16),
# and the failed reads in all. Two files of SORVEL_GOOD_MIB MiB (48): one with a bad area of
# 64 KiB at its start, one with 20 scattered bad areas of 4 KiB. The medium traces every read in
# order (sorvel_medium --trace); nothing is timed.
#
# Usage: bench/good_first.sh
# Environment: SORVEL_GOOD_MIB, SORVEL_BENCH_BUILD (build/bench-speed), SORVEL_RESCUE_DIR
#   (/var/tmp).
set -euo pipefail
cd "$(dirname "$0")/.."
mib="${SORVEL_GOOD_MIB:-48}"
build="${SORVEL_BENCH_BUILD:-build/bench-speed}"
depth=16
program="$PWD/$build/bench_speed"
medium="$PWD/$build/sorvel_medium"
source bench/medium.sh
source bench/loop_medium.sh
loop_bench_start
size=$((mib << 20))
head -c "$size" /dev/urandom | tr '\000' '\001' >"$work/data.bin"
make_image $((mib + 24)) data.bin "$work/data.bin"
medium_flags=(--trace "$work/trace")

# before_and_all: "FAILED-BEFORE FAILED-IN-ALL" from the trace: the failed reads that came before
# every readable 512-byte sector of the file (its image blocks, less the bad ranges) was
# delivered once, and all failed reads.
before_and_all() {
  awk 'FILENAME == ARGV[1] { block[FNR - 1] = $1; blocks = FNR; next }
    FILENAME == ARGV[2] { b = int($1 / 4096); base = block[b] * 4096 - b * 4096
      for (s = int(($1 + base) / 512); s <= int(($2 + base) / 512); s++) bad[s] = 1; next }
    FNR == 1 && !ready { for (i = 0; i < blocks; i++) for (k = 0; k < 8; k++) {
        s = block[i] * 8 + k; if (!(s in bad)) { want[s] = 1; left++ } } ready = 1 }
    $4 != "disk.img" { next }
    $3 == 1 { failed++; next }
    { for (s = int($1 / 512); s < int(($1 + $2) / 512); s++) if (s in want) { delete want[s]; left-- }
      if (left == 0 && before == "") before = failed + 0 }
    END { print (before == "" ? "never" : before), failed + 0 }' \
    "$work/blocks" "$work/file-rules" "$work/trace"
}

# sorvel: the program copies the file with its default settings; prints the figures.
sorvel() {
  rm -f "$work/trace"
  attach_medium "$work/fs"
  mkdir -p "$work/run"
  rm -rf "$work/out"
  (cd "$work/run" && "$program" --line "subDamagedBitByZero: yes" "$work/fs/data.bin" \
    "$work/out" >/dev/null)
  detach_medium
  before_and_all
}

# rescue: ddrescue -d -r depth copies the file; prints the figures.
rescue() {
  rm -f "$work/trace" "$work/r.map" "$work/r.bin"
  attach_medium "$work/fs"
  ddrescue -q -d -r "$depth" "$work/fs/data.bin" "$work/r.bin" "$work/r.map" >/dev/null 2>&1 || true
  detach_medium
  before_and_all
}

# compare TITLE: both readers on the rules in $work/file-rules.
compare() {
  image_rules "$work/file-rules"
  read -r s_before s_all <<<"$(sorvel)"
  read -r r_before r_all <<<"$(rescue)"
  echo "$1"
  echo "  failed reads before every readable byte was read: sorvel $s_before, ddrescue $r_before (target: at most ddrescue's + 2)"
  echo "  failed reads in all: sorvel $s_all, ddrescue $r_all"
}

echo "files of $mib MiB on ext4 on a loop device over the test medium; default settings, depthRead $depth"
for b in $(seq 0 15); do echo "$((b * 4096)) $((b * 4096 + 4095)) eio 0"; done >"$work/file-rules"
compare "one bad area of 64 KiB at the start"
awk -v s="$size" 'BEGIN { for (i = 0; i < 20; i++) { first = int(s / 21 * (i + 0.5) / 4096) * 4096
    printf "%d %d eio 0\n", first, first + 4095 } }' >"$work/file-rules"
compare "20 scattered bad areas of 4 KiB"

#!/usr/bin/env bash
# The speed of the copy, measured on this machine in one run, the commands alternating round after
# round, medians quoted:
#   1. a healthy file of 256 MiB: one copy job of the program against cp, without and with
#      verifyData, with the peak memory of each; and, for comparison, the old way (byte by byte)
#      on a file of 1 MiB;
#   2. 10,000 files of 1 KiB in one folder: one copy job of the program against cp -r;
#   3. a file with scattered bad ranges on the test medium (tests/e2e/medium): the copy in blocks
#      against the copy byte by byte: the same copy and log, the single-byte reads of every failing
#      byte, and the reads the medium counted for each.
# "The program" is bench_speed (bench/speed.cpp): one whole copy job headless, through the real
# window procedure, with the default options. Processor time (user + sys) and wall time are both
# printed; on a machine shared with other work, processor time is the fairer of the two. The
# ratios are medians of the ratios round by round, each of two commands that ran one right after
# the other, so that a machine whose speed drifts does not mix slow and fast rounds.
#
# Creating files on ext4 is itself uneven: for some minutes after many files were deleted (such as
# by the end of an earlier run) it costs several times more, and so does a journal commit that
# falls into a command. Such a run shows cp far slower than usual; run again a few minutes later,
# or put the work folder on tmpfs (SORVEL_SPEED_DIR=/dev/shm), where only the processor counts.
#
# Usage: bench/speed.sh [ROUNDS]          (default 5)
# Environment: SORVEL_SPEED_PARTS ("1 2 3"), SORVEL_SPEED_MIB (256), SORVEL_SPEED_FILES (10000),
#   SORVEL_SPEED_BYTEWISE_KIB (1024), SORVEL_SPEED_BAD_KIB (256), SORVEL_BENCH_BUILD (build/bench-speed),
#   SORVEL_SPEED_DIR (the folder for the work files, default /var/tmp).
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${1:-5}"
parts="${SORVEL_SPEED_PARTS:-1 2 3}"
mib="${SORVEL_SPEED_MIB:-256}"
file_count="${SORVEL_SPEED_FILES:-10000}"
bytewise_kib="${SORVEL_SPEED_BYTEWISE_KIB:-1024}"
bad_kib="${SORVEL_SPEED_BAD_KIB:-256}"
build="${SORVEL_BENCH_BUILD:-build/bench-speed}"
program="$PWD/$build/bench_speed"
medium="$PWD/$build/sorvel_medium"

# The test medium is one of the tools of the tests.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSORVEL_TESTS=ON >/dev/null
targets=(bench_speed)
if [[ " $parts " == *" 3 "* ]]; then targets+=(sorvel_medium); fi
cmake --build "$build" -j 2 --target "${targets[@]}" >/dev/null

work="$(mktemp -d "${SORVEL_SPEED_DIR:-/var/tmp}/sorvel-speed.XXXXXX")"
mounted=""
medium_pid=""
cleanup() {
  if [ -n "$mounted" ]; then fusermount3 -u "$mounted" 2>/dev/null || true; fi
  if [ -n "$medium_pid" ]; then wait "$medium_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/run"

source bench/timing.sh

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores," \
  "$(free -g | awk '/Mem:/ { print $2 }') GiB; $(uname -sr); work folder on" \
  "$(df -T "$work" | awk 'NR == 2 { print $2 }'); load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"

# ---- 1. a healthy large file --------------------------------------------------------------------
if [[ " $parts " == *" 1 "* ]]; then
  mkdir -p "$work/big"
  head -c $((mib << 20)) /dev/urandom >"$work/big/healthy.bin"
  for round in $(seq "$rounds"); do
    timed cp cp "$work/big/healthy.bin" "$work/cp.bin"
    rm -f "$work/cp.bin"
    timed blocks "$program" "$work/big/healthy.bin" "$work/blocks"
    cmp -s "$work/big/healthy.bin" "$work/blocks/healthy.bin" || { echo "copy differs" >&2; exit 1; }
    rm -rf "$work/blocks"
    timed verify "$program" --verify "$work/big/healthy.bin" "$work/verify"
    cmp -s "$work/big/healthy.bin" "$work/verify/healthy.bin" || { echo "copy differs" >&2; exit 1; }
    rm -rf "$work/verify"
  done
  echo
  echo "1. a healthy file of $mib MiB"
  header
  report cp "cp"
  report blocks "sorvel" cp
  report verify "sorvel, verifyData" cp
  head -c $((bytewise_kib << 10)) "$work/big/healthy.bin" >"$work/big/small.bin"
  timed bytewise "$program" --byte-by-byte "$work/big/small.bin" "$work/bytewise"
  timed small "$program" "$work/big/small.bin" "$work/small"
  cmp -s "$work/bytewise/small.bin" "$work/small/small.bin" || { echo "copy differs" >&2; exit 1; }
  awk -v k="$bytewise_kib" '{ printf "  before, byte by byte, a file of %d KiB: %.0f KB/s of processor time, %.0f KB/s wall\n", k, k * 1.024 / $2, k * 1.024 / $1 }' \
    "$work/bytewise.times"
  awk -v m="$mib" -v c="$(median 2 blocks)" -v w="$(median 1 blocks)" \
    'BEGIN { printf "  after, in blocks, %d MiB: %.0f KB/s of processor time, %.0f KB/s wall\n", m, m * 1048.576 / c, m * 1048.576 / w }'
  rm -rf "$work/big" "$work/bytewise" "$work/small"
fi

# ---- 2. many small files ------------------------------------------------------------------------
if [[ " $parts " == *" 2 "* ]]; then
  mkdir -p "$work/many"
  head -c $((file_count * 1024)) /dev/urandom | split -b 1024 -a 6 -d - "$work/many/f"
  for round in $(seq "$rounds"); do
    timed cp-many cp -r "$work/many" "$work/cp-$round"
    timed job "$program" "$work/many/*.*" "$work/job-$round"
    timed job-nobar "$program" --off showProgressBar "$work/many/*.*" "$work/nobar-$round"
    timed job-bare "$program" --off showProgressBar --off enableLog --off printProgress \
      "$work/many/*.*" "$work/bare-$round"
  done
  diff -r -q "$work/many" "$work/job-1" >/dev/null || { echo "copies differ" >&2; exit 1; }
  echo
  echo "2. $file_count files of 1 KiB in one folder (one whole copy job headless)"
  header
  report cp-many "cp -r"
  report job "sorvel" cp-many
  echo "  what the described per-file work costs, for comparison (options turned off):"
  report job-nobar "sorvel, showProgressBar off" cp-many
  report job-bare "sorvel, bar, log, printProgress off" cp-many
  rm -rf "$work/many" "$work"/cp-[0-9]* "$work"/job-[0-9]* "$work"/nobar-* "$work"/bare-*
fi

# ---- 3. bad ranges on the test medium -----------------------------------------------------------
source bench/medium.sh

# copy_from_medium LABEL [OPTION]: one copy job of bad.bin from a fresh mount into $work/LABEL;
# leaves the program's single-byte reads in $work/LABEL.singles and the medium's counts in
# $work/LABEL.counts.
copy_from_medium() {
  mount_medium "$work/rules" "$work/cd"
  rm -f "$work/run/sorvel.log.htm"
  timed "$1" "$program" ${2:+"$2"} --single-reads "$work/rules" "$work/cd/bad.bin" "$work/$1"
  cp "$work/out" "$work/$1.singles"
  cp "$work/run/sorvel.log.htm" "$work/$1.log"
  unmount_medium
  cp "$work/counts" "$work/$1.counts"
}

if [[ " $parts " == *" 3 "* ]]; then
  if [ ! -e /dev/fuse ] || ! command -v fusermount3 >/dev/null || [ ! -x "$medium" ]; then
    echo
    echo "3. skipped: this machine cannot mount the test medium (FUSE)"
    exit 0
  fi
  mkdir -p "$work/disc"
  size=$((bad_kib << 10))
  head -c "$size" /dev/urandom >"$work/disc/bad.bin"
  # Twelve bad ranges of 1 to 40 bytes spread over the file, and three flaky ones whose bytes
  # read at their fourth attempt, within the default depth.
  awk -v s="$size" 'BEGIN {
      for (i = 0; i < 12; i++) {
        first = int(s * (i + 0.5) / 12) + i * 37
        printf "bad.bin %d %d fail 0\n", first, first + (i * 7) % 40
      }
      for (i = 0; i < 3; i++) {
        first = int(s * (i + 0.8) / 3)
        printf "bad.bin %d %d flaky 3\n", first, first + 4
      }
    }' >"$work/rules"
  copy_from_medium bytewise3 --byte-by-byte
  copy_from_medium blocks3
  depth=16 # depthRead of the default options
  echo
  echo "3. a file of $bad_kib KiB with 15 bad ranges on the test medium ($(grep -c . "$work/rules") rules, depthRead $depth)"
  header 1
  report bytewise3 "sorvel, byte by byte"
  report blocks3 "sorvel, in blocks"
  if cmp -s "$work/bytewise3/bad.bin" "$work/blocks3/bad.bin"; then
    echo "  the two copies are the same, byte for byte"
  else
    echo "  THE TWO COPIES DIFFER"
  fi
  entries() { grep -o 'COLOR=#[0-9A-F]*>[^<]*\(Read\|unable\)[^<]*' "$1" | sed 's/.*>//'; }
  if [ "$(entries "$work/bytewise3.log")" = "$(entries "$work/blocks3.log")" ]; then
    echo "  the same log entries: $(entries "$work/blocks3.log" | paste -sd'|' | sed 's/|/; /g')"
  else
    echo "  THE LOG ENTRIES DIFFER"
  fi
  # Per failing byte: its rule's mode; the single-byte reads of the program byte by byte and in
  # blocks; the reads the medium counted (every read that covered the byte) and, of them, the
  # reads that started at the byte (aimed at it), byte by byte and in blocks.
  medium_column() { awk -v k="$1" '$1 == k { print $2, $3 }' "$2" | sort -k1,1; }
  awk '{ for (b = $2; b <= $3; b++) print b, $4 }' "$work/rules" | sort -k1,1 |
    join - <(awk '{ print $2, $3 }' "$work/bytewise3.singles" | sort -k1,1) |
    join - <(awk '{ print $2, $3 }' "$work/blocks3.singles" | sort -k1,1) |
    join - <(medium_column byte "$work/bytewise3.counts") |
    join - <(medium_column byte "$work/blocks3.counts") |
    join - <(medium_column start "$work/bytewise3.counts") |
    join - <(medium_column start "$work/blocks3.counts") >"$work/per-byte"
  for mode in fail flaky; do
    awk -v d="$depth" -v mode="$mode" '$2 == mode {
        bytes++
        if ($3 == $4) same++
        if ($8 == $7) same_starts++
        if ($4 > max_single) max_single = $4
        if ($8 > max_starts) max_starts = $8
        if ($5 > max_bytewise) max_bytewise = $5
        if ($6 > max_blocks) max_blocks = $6
        hist[$6 - $8]++
      } END {
        if (bytes == 0) exit
        printf "  %s bytes (%d): program single-byte reads, byte by byte = in blocks for %d,", mode, bytes, same
        printf " at most %d; medium reads aimed at the byte equal for %d, at most %d (the depth allows %d)\n", max_single, same_starts, max_starts, d + 1
        printf "    all reads the medium counted for one byte: at most %d byte by byte, %d in blocks;", max_bytewise, max_blocks
        printf " block reads that stopped short before the byte:"
        for (e in hist) printf " %d for %d bytes;", e, hist[e]
        printf "\n"
      }' "$work/per-byte"
  done
fi

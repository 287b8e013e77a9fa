#!/usr/bin/env bash
# What bad sectors cost, counted on the test medium (tests/e2e/medium) with "eio" rules: a read
# touching a bad byte fails whole, as on a disk. Prints figures; nothing is timed.
#   1. a file with scattered bad sectors of 512 bytes, and one with bad sectors of 4 KiB: the
#      failed reads of the program with sectorSize 512 (resp. 4096) against GNU ddrescue with
#      -b 512 (resp. 4096) -r D (D = depthRead, 16 by default), their ratio, whether the two
#      copies hold the same bytes (unread bytes are zeros in both: the program substitutes
#      zeros), the readable bytes each lost, the program's failed reads with sectorSize 1, and
#      the time each would take at one second per failed read;
#   2. one bad 512-byte spot inside a 2 MiB file: the reads of the medium at sectorSize 1 beyond
#      the 512 x (depthRead + 1) single-byte reads of its bytes.
# The program is bench_speed (bench/speed.cpp): one whole copy job headless with the default
# options, plus settings lines. ddrescue (Debian package gddrescue) is installed when missing.
#
# Usage: bench/sectors.sh
# Environment: SORVEL_SECTORS_MIB (size of the files of part 1, 4), SORVEL_SECTORS_BAD (bad
#   sectors in each, 8), SORVEL_BENCH_BUILD (build/bench-speed), SORVEL_SECTORS_DIR (/var/tmp).
set -euo pipefail
cd "$(dirname "$0")/.."
mib="${SORVEL_SECTORS_MIB:-4}"
bad="${SORVEL_SECTORS_BAD:-8}"
build="${SORVEL_BENCH_BUILD:-build/bench-speed}"
depth=16 # depthRead of the default options
program="$PWD/$build/bench_speed"
medium="$PWD/$build/sorvel_medium"

if ! command -v ddrescue >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends gddrescue >/dev/null
fi
if [ ! -e /dev/fuse ] || ! command -v fusermount3 >/dev/null; then
  echo "skipped: this machine cannot mount the test medium (FUSE)"
  exit 0
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSORVEL_TESTS=ON >/dev/null
cmake --build "$build" -j 2 --target bench_speed sorvel_medium >/dev/null

work="$(mktemp -d "${SORVEL_SECTORS_DIR:-/var/tmp}/sorvel-sectors.XXXXXX")"
mounted=""
medium_pid=""
cleanup() {
  if [ -n "$mounted" ]; then fusermount3 -u "$mounted" 2>/dev/null || true; fi
  if [ -n "$medium_pid" ]; then wait "$medium_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/disc" "$work/run"

source bench/medium.sh

# file_reads FILE: "READS FAILED" of FILE in the last counts report.
file_reads() { awk -v f="$1" '$1 == "file" && $4 == f { print $2, $3 }' "$work/counts"; }

# sorvel LABEL FILE SECTOR: the program copies FILE from a fresh mount into $work/LABEL with
# sectorSize SECTOR and zero substitution; prints "READS FAILED".
sorvel() {
  mount_medium "$work/rules" "$work/disk"
  (cd "$work/run" && "$program" --line "sectorSize: $3" --line "subDamagedBitByZero: yes" \
    "$work/disk/$2" "$work/$1" >/dev/null)
  unmount_medium
  file_reads "$2"
}

# rescue LABEL FILE SECTOR: ddrescue copies FILE from a fresh mount into $work/LABEL/FILE with
# -b SECTOR -r depth, unread bytes left zero; prints "READS FAILED".
rescue() {
  mkdir -p "$work/$1"
  mount_medium "$work/rules" "$work/disk"
  ddrescue -q -b "$3" -r "$depth" "$work/disk/$2" "$work/$1/$2" "$work/$1.map" >/dev/null 2>&1
  unmount_medium
  truncate -s "$(stat -c %s "$work/disc/$2")" "$work/$1/$2"
  file_reads "$2"
}

# lost FILE COPY: readable bytes of FILE (outside its rules' ranges) that COPY does not hold.
lost() {
  cmp -l "$work/disc/$1" "$2" 2>/dev/null |
    awk 'NR == FNR { first[NR] = $2; last[NR] = $3; n = NR; next }
      { offset = $1 - 1; inside = 0
        for (i = 1; i <= n; i++) if (offset >= first[i] && offset <= last[i]) inside = 1
        if (!inside) count++ } END { print count + 0 }' "$work/rules" - || true
}

# hours SECONDS: SECONDS as "N s (H h)".
hours() { awk -v s="$1" 'BEGIN { printf "%d s (%.1f h)", s, s / 3600 }'; }

echo "depthRead $depth; files of $mib MiB with $bad scattered bad sectors; reads counted by the medium"
for sector in 512 4096; do
  name="bad$sector.bin"
  size=$((mib << 20))
  # Source bytes are never zero, so that a zero in a copy is always a substitute.
  head -c "$size" /dev/urandom | tr '\000' '\001' >"$work/disc/$name"
  awk -v s="$size" -v b="$bad" -v n="$sector" -v f="$name" 'BEGIN {
      for (i = 0; i < b; i++) {
        first = (int(s / n * (i + 0.5) / b) + i * 3) * n
        printf "%s %d %d eio 0\n", f, first, first + n - 1
      }
    }' >"$work/rules"
  read -r _ sorvel_failed <<<"$(sorvel "s$sector" "$name" "$sector")"
  read -r _ rescue_failed <<<"$(rescue "r$sector" "$name" "$sector")"
  read -r _ bytes_failed <<<"$(sorvel "b$sector" "$name" 1)"
  echo
  echo "1. bad sectors of $sector bytes"
  echo "  failed reads: sorvel, sectorSize $sector: $sorvel_failed; ddrescue -b $sector -r $depth: $rescue_failed"
  awk -v a="$sorvel_failed" -v b="$rescue_failed" \
    'BEGIN { printf "  ratio sorvel / ddrescue: %.3f (target at most 1.1)\n", a / b }'
  if cmp -s "$work/s$sector/$name" "$work/r$sector/$name"; then
    echo "  the same bytes recovered: yes"
  else
    echo "  the same bytes recovered: NO ($(cmp -l "$work/s$sector/$name" "$work/r$sector/$name" | wc -l) bytes differ)"
  fi
  echo "  readable bytes lost: sorvel $(lost "$name" "$work/s$sector/$name"), ddrescue $(lost "$name" "$work/r$sector/$name") (target 0)"
  echo "  failed reads of sorvel with sectorSize 1: $bytes_failed"
  echo "  at 1 s per failed read: sorvel $(hours "$sorvel_failed"), ddrescue $(hours "$rescue_failed"), sorvel with sectorSize 1 $(hours "$bytes_failed")"
  rm -rf "$work/disc/$name" "$work/s$sector" "$work/r$sector" "$work/b$sector"
done

# ---- 2. one bad spot in 2 MiB at sectorSize 1 ---------------------------------------------------
head -c $((2 << 20)) /dev/urandom >"$work/disc/spot.bin"
echo "spot.bin 1000000 1000511 eio 0" >"$work/rules"
read -r spot_reads spot_failed <<<"$(sorvel spot spot.bin 1)"
singles=$((512 * (depth + 1)))
echo
echo "2. one bad spot of 512 bytes in a file of 2 MiB, sectorSize 1"
echo "  reads of the medium: $spot_reads ($spot_failed failed); beyond the $singles single-byte reads of its bytes: $((spot_reads - singles)) (target at most 200)"

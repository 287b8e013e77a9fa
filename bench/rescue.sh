#!/usr/bin/env bash
# A failing disk read by the program and by GNU ddrescue in direct mode, side by side, with the
# kernel in between (bench/loop_medium.sh: an ext4 image on a loop device over the test medium).
# One file of SORVEL_RESCUE_MIB MiB (48) holds 12 bad sectors of 512 bytes, one bad area of 4 KiB,
# one of 64 KiB, and one sector that fails its first 5 reads. Prints, for the program with its
# default settings and for `ddrescue -d -r D` (D = depthRead, 16), the failed reads of the medium,
# their ratio, the readable bytes each lost, and whether both saved the same bytes; then the same
# on the file system mounted with data=journal (which serves unbuffered reads from the cache).
# Counts, not times: a failed read of a real disk costs seconds.
#
# Usage: bench/rescue.sh [LINE...]   (each LINE a settings line for the program, "sectorSize: 512")
# Environment: SORVEL_RESCUE_MIB, SORVEL_BENCH_BUILD (build/bench-speed), SORVEL_RESCUE_DIR
#   (/var/tmp).
set -euo pipefail
cd "$(dirname "$0")/.."
mib="${SORVEL_RESCUE_MIB:-48}"
build="${SORVEL_BENCH_BUILD:-build/bench-speed}"
depth=16 # depthRead of the default options
program="$PWD/$build/bench_speed"
medium="$PWD/$build/sorvel_medium"
lines=()
for line in "$@"; do lines+=(--line "$line"); done

source bench/medium.sh
source bench/loop_medium.sh
loop_bench_start

# The file and its damage, in file offsets (each rule within one 4 KiB block of the file).
size=$((mib << 20))
head -c "$size" /dev/urandom | tr '\000' '\001' >"$work/data.bin"
awk -v s="$size" 'BEGIN {
    for (i = 0; i < 12; i++) { first = int(s / 13 * (i + 0.5) / 512) * 512 + 1536
      printf "%d %d eio 0\n", first, first + 511 }
    first = int(s * 0.37 / 4096) * 4096; printf "%d %d eio 0\n", first, first + 4095
    first = int(s * 0.61 / 4096) * 4096
    for (b = 0; b < 16; b++) printf "%d %d eio 0\n", first + b * 4096, first + b * 4096 + 4095
    first = int(s * 0.83 / 512) * 512 + 512; printf "%d %d flaky 5\n", first, first + 511
  }' >"$work/file-rules"
make_image $((mib + 24)) data.bin "$work/data.bin"
image_rules "$work/file-rules"

# failed_reads: the failed reads of the image in the last counts report.
failed_reads() { awk '$1 == "file" && $4 == "disk.img" { print $3 }' "$work/counts"; }

# lost COPY: readable bytes of the file (outside the always-bad ranges) that COPY does not hold.
lost() {
  cmp -l "$work/data.bin" "$1" 2>/dev/null |
    awk 'NR == FNR { if ($3 == "eio") { first[++n] = $1; last[n] = $2 }; next }
      { offset = $1 - 1; inside = 0
        for (i = 1; i <= n; i++) if (offset >= first[i] && offset <= last[i]) inside = 1
        if (!inside) count++ } END { print count + 0 }' "$work/file-rules" - || true
}

# sorvel LABEL [MOUNT OPTIONS]: the program copies the file into $work/LABEL with zero
# substitution; prints the failed reads.
sorvel() {
  attach_medium "$work/fs" "${2:-}"
  mkdir -p "$work/run"
  (cd "$work/run" && "$program" "${lines[@]}" --line "subDamagedBitByZero: yes" \
    "$work/fs/data.bin" "$work/$1" >/dev/null)
  detach_medium
  failed_reads
}

# rescue LABEL [MOUNT OPTIONS]: ddrescue -d copies the file into $work/LABEL/data.bin, unread bytes left zero;
# prints the failed reads.
rescue() {
  mkdir -p "$work/$1"
  attach_medium "$work/fs" "${2:-}"
  ddrescue -q -d -r "$depth" "$work/fs/data.bin" "$work/$1/data.bin" "$work/$1.map" \
    >/dev/null 2>&1 || true
  detach_medium
  truncate -s "$size" "$work/$1/data.bin"
  failed_reads
}

# compare TITLE SORVEL RESCUE: prints the figures of one pair of runs.
compare() {
  echo "$1"
  echo "  failed reads: sorvel $2, ddrescue -d -r $depth $3"
  awk -v a="$2" -v b="$3" 'BEGIN { printf "  ratio sorvel / ddrescue: %.3f (target at most 1.1)\n", a / b }'
  echo "  readable bytes lost: sorvel $(lost "$work/$4/data.bin"), ddrescue $(lost "$work/$5/data.bin")"
  if cmp -s "$work/$4/data.bin" "$work/$5/data.bin"; then
    echo "  the same bytes recovered: yes"
  else
    echo "  the same bytes recovered: NO ($(cmp -l "$work/$4/data.bin" "$work/$5/data.bin" | wc -l) bytes differ)"
  fi
}

echo "a file of $mib MiB on ext4 on a loop device over the test medium; settings: ${*:-defaults}"
s="$(sorvel s)"
r="$(rescue r)"
compare "ext4 as mounted by default" "$s" "$r" s r
s="$(sorvel sj data=journal)"
r="$(rescue rj data=journal)"
compare "ext4 mounted with data=journal" "$s" "$r" sj rj

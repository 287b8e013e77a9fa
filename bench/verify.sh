#!/usr/bin/env bash
# What verification costs now that it reads the copy back from the medium: one copy job of the
# program (bench_speed, bench/speed.cpp: headless, default options) of a healthy file of 256 MiB to
# a folder on the local disk, with verifyData, against the same work done by standard tools:
# cp, then sync, then a read-back past the cache (dd iflag=direct bs=1M | cmp). The program
# without verification is timed too, beside cp alone (neither flushes), and, when
# SORVEL_VERIFY_BEFORE names another bench_speed (built from an earlier commit), beside that one
# without verification: the copy without verification must not have moved. Rounds alternate the
# commands; the medians of wall and processor time are printed, and the medians of the ratios round
# by round (bench/timing.sh).
#
# The work folder must be on a disk, not tmpfs: O_DIRECT and sync cost nothing in memory. The
# default, /var/tmp, is checked with df.
#
# Usage: bench/verify.sh [ROUNDS]          (default 5)
# Environment: SORVEL_VERIFY_MIB (256), SORVEL_VERIFY_DIR (/var/tmp),
#   SORVEL_BENCH_BUILD (build/bench-speed), SORVEL_VERIFY_BEFORE (none).
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${1:-5}"
mib="${SORVEL_VERIFY_MIB:-256}"
build="${SORVEL_BENCH_BUILD:-build/bench-speed}"
program="$PWD/$build/bench_speed"
where="${SORVEL_VERIFY_DIR:-/var/tmp}"
before="${SORVEL_VERIFY_BEFORE:-}"

kind="$(df --output=fstype "$where" | tail -n 1 | tr -d ' ')"
if [ "$kind" = tmpfs ] || [ "$kind" = ramfs ]; then
  echo "$where is on $kind: choose a folder on a disk (SORVEL_VERIFY_DIR)" >&2
  exit 2
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSORVEL_TESTS=ON >/dev/null
cmake --build "$build" -j 2 --target bench_speed >/dev/null

work="$(mktemp -d "$where/sorvel-verify.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/run" "$work/source"
head -c $((mib * 1024 * 1024)) /dev/urandom >"$work/source/big.bin"
sync
source bench/timing.sh

source="$work/source/big.bin"
copy="$work/dest/big.bin"
# fresh: an empty destination folder, and nothing of earlier commands left to write back.
fresh() {
  rm -rf "$work/dest" "$work/run"/*
  mkdir -p "$work/dest"
  sync
}
check_copy() { cmp "$source" "$copy" || { echo "the copy differs" >&2; exit 1; }; }

for round in $(seq 1 "$rounds"); do
  fresh
  timed tools bash -c 'cp "$1" "$2" && sync && dd if="$2" iflag=direct bs=1M status=none |
    cmp - "$1"' tools "$source" "$copy"
  fresh
  timed verify "$program" --verify "$source" "$work/dest"
  check_copy
  grep -q "verified $((mib * 1024 * 1024))bytes" "$work/run/sorvel.log.htm" ||
    { echo "the program did not verify every byte" >&2; exit 1; }
  fresh
  timed cp cp "$source" "$copy"
  fresh
  timed plain "$program" "$source" "$work/dest"
  check_copy
  if [ -n "$before" ]; then
    fresh
    timed before "$before" "$source" "$work/dest"
    check_copy
  fi
done

echo "healthy file of $mib MiB on $kind ($where), $rounds rounds"
header "$rounds" tools
report tools "cp + sync + dd iflag=direct | cmp"
report verify "sorvel, verifyData (target 1.5x)" tools
echo
header
report cp "cp"
report plain "sorvel, no verification" cp
if [ -n "$before" ]; then
  echo
  header "$rounds" before
  report before "sorvel before, no verification"
  report plain "sorvel, no verification" before
fi

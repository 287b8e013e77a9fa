#!/usr/bin/env bash
# What verification costs now that it reads the copy back from the medium: one copy job of the
# program (bench_speed, bench/speed.cpp: headless, default options) of a healthy file of 256 MiB to
# a folder on the local disk, with verifyData, against the same work done by standard tools:
# cp, then sync, then a read-back past the cache (dd iflag=direct bs=1M | cmp). The program
# without verification is timed too, beside cp alone (neither flushes), and, when
# SORVEL_VERIFY_BEFORE names another bench_speed (built from an earlier commit), beside that one
# without verification: the copy without verification must not have moved. Rounds alternate the
# commands; the medians of wall time are printed, and the median of the ratios round by round.
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

# timed LABEL COMMAND...: runs COMMAND (in $work/run) with a fresh destination folder and adds its
# wall time in seconds to LABEL's list.
declare -A times
timed() {
  local label="$1"
  shift
  rm -rf "$work/out" "$work/run"/*
  mkdir -p "$work/out"
  sync
  local start end
  start=$(date +%s.%N)
  (cd "$work/run" && "$@" >/dev/null)
  end=$(date +%s.%N)
  times[$label]+="$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }') "
}

tools() {
  cp "$work/source/big.bin" "$work/out/big.bin"
  sync
  dd if="$work/out/big.bin" iflag=direct bs=1M status=none | cmp - "$work/source/big.bin"
}
copy() { cp "$work/source/big.bin" "$work/out/big.bin"; }

check_copy() {
  cmp "$work/source/big.bin" "$work/out/big.bin" || { echo "the copy differs" >&2; exit 1; }
}

for round in $(seq 1 "$rounds"); do
  timed tools tools
  timed verify "$program" --verify "$work/source/big.bin" "$work/out"
  check_copy
  grep -q "verified $((mib * 1024 * 1024))bytes" "$work/run/sorvel.log.htm" ||
    { echo "the program did not verify every byte" >&2; exit 1; }
  timed cp copy
  timed plain "$program" "$work/source/big.bin" "$work/out"
  check_copy
  if [ -n "$before" ]; then
    timed before "$before" "$work/source/big.bin" "$work/out"
    check_copy
  fi
done

# median LIST: the median of the numbers in LIST.
median() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{ a[NR] = $1 } END {
  if (NR % 2) print a[(NR + 1) / 2]; else print (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
# ratios A B: the round-by-round ratios of A's times to B's.
ratios() {
  paste <(tr ' ' '\n' <<<"${times[$1]}" | grep .) <(tr ' ' '\n' <<<"${times[$2]}" | grep .) |
    awk '{ printf "%.3f ", $1 / $2 }'
}

echo "healthy file of $mib MiB on $kind ($where), $rounds rounds, wall seconds (median)"
printf '  %-52s %8.2f\n' "program, verifyData" "$(median "${times[verify]}")"
printf '  %-52s %8.2f\n' "cp + sync + dd iflag=direct bs=1M | cmp" "$(median "${times[tools]}")"
printf '  %-52s %8.2f\n' "program, no verification" "$(median "${times[plain]}")"
printf '  %-52s %8.2f\n' "cp" "$(median "${times[cp]}")"
[ -n "$before" ] &&
  printf '  %-52s %8.2f\n' "the program before, no verification" "$(median "${times[before]}")"
printf '  verifyData / standard tools: %.2f (target at most 1.5)\n' \
  "$(median "$(ratios verify tools)")"
printf '  no verification / cp: %.2f\n' "$(median "$(ratios plain cp)")"
if [ -n "$before" ]; then
  printf '  no verification / the program before: %.2f\n' "$(median "$(ratios plain before)")"
fi

#!/usr/bin/env bash
# The speed of the real program in its real window (Xvfb), with the default options, against cp:
#   1. 10,000 files of 1 KiB in one folder: one run of the program against cp -r, and the run with
#      printProgress off for comparison;
#   2. a healthy file of 1 GiB: one run of the program against cp.
# For comparison, the same copy job headless (bench_speed: the real window procedure on the headless
# driver, no display at all) shows what the program itself costs, and for the small files, the
# same with showProgressBar off, what its progress bar costs (painted pixel by pixel, about 9,700
# SetPixel calls for a file of 1 KiB).
# A run is timed from the click on Copy to the last write of its log, the totals (the log is
# polled every 10 ms; the end is the time of that write). The program's processor time is read
# off /proc over the same span; the X server's is not in it. The commands alternate round after
# round; the ratios are medians of the ratios round by round (bench/timing.sh).
#
# Usage: bench/window.sh [ROUNDS]                       (default 5)
# Environment: SORVEL_WINDOW_PARTS ("1 2"), SORVEL_WINDOW_FILES (10000), SORVEL_WINDOW_MIB (1024),
#   SORVEL_WINDOW_BINARY (the program; default build/release/sorvel, built when missing),
#   SORVEL_WINDOW_BEFORE (an earlier build of the program, timed as well when given),
#   SORVEL_WINDOW_DIR (the folder of the work files; default a fresh ext4 file system, see below).
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${1:-5}"
parts="${SORVEL_WINDOW_PARTS:-1 2}"
file_count="${SORVEL_WINDOW_FILES:-10000}"
mib="${SORVEL_WINDOW_MIB:-1024}"
program="${SORVEL_WINDOW_BINARY:-}"
before="${SORVEL_WINDOW_BEFORE:-}"
before_click=""  # what window_run does right before its click; set by part 2 only

if [ -z "$program" ]; then
  cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DSORVEL_TESTS=OFF >/dev/null
  cmake --build build/release -j 2 --target sorvel >/dev/null
  program="$PWD/build/release/sorvel"
fi
program="$(cd "$(dirname "$program")" && pwd)/$(basename "$program")"
cmake -S . -B build/bench-speed -DCMAKE_BUILD_TYPE=Release -DSORVEL_TESTS=ON >/dev/null
cmake --build build/bench-speed -j 2 --target bench_speed >/dev/null
headless="$PWD/build/bench-speed/bench_speed"
for tool in Xvfb xdotool xdpyinfo; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: bash scripts/install-deps.sh all" >&2; exit 1; }
done

# By default the work folder is on a fresh ext4 file system of its own (a loop device over a file
# in /var/tmp), as on a new disk: on a file system where many files were deleted in the last few
# minutes (such as by an earlier run of this script), ext4 creates files several times slower and
# unevenly. Without root or loop devices, /var/tmp itself.
image=""
fresh=""
base="${SORVEL_WINDOW_DIR:-}"
if [ -z "$base" ]; then
  base=/var/tmp
  if [ "$(id -u)" = 0 ] && command -v mkfs.ext4 >/dev/null && losetup -f >/dev/null 2>&1; then
    image="$(mktemp /var/tmp/sorvel-window-fs.XXXXXX)"
    fresh="$(mktemp -d /var/tmp/sorvel-window-mnt.XXXXXX)"
    truncate -s 6G "$image"
    if mkfs.ext4 -q -F "$image" && mount -o loop "$image" "$fresh"; then
      base="$fresh"
    else
      rm -f "$image"
      rmdir "$fresh"
      image=""
      fresh=""
    fi
  fi
fi
work="$(mktemp -d "$base/sorvel-window.XXXXXX")"
xvfb_pid=""
program_pid=""
cleanup() {
  if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  [ -n "${SORVEL_WINDOW_KEEP:-}" ] && cp "$work"/*.times "$SORVEL_WINDOW_KEEP"/ 2>/dev/null
  rm -rf "$work"
  if [ -n "$fresh" ]; then
    umount "$fresh" 2>/dev/null || umount -l "$fresh"
    rm -f "$image"
    rmdir "$fresh"
  fi
}
trap cleanup EXIT
mkdir -p "$work/run"
source bench/timing.sh

: >"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" \
  >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 150); do grep -q '^[0-9]' "$work/display" && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")"
for _ in $(seq 150); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores;" \
  "$(uname -sr); work folder on $(df -T "$work" | awk 'NR == 2 { print $2 }'); load average at" \
  "start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "program: $program${before:+; before: $before}"

# cpu_ticks PID: the processor time the process has used so far, in clock ticks. Bash alone, as
# nap below: the wait for the end of a run must not start processes a hundred times a second
# beside the program, on a machine of two cores.
cpu_ticks() {
  local stat fields
  read -r stat <"/proc/$1/stat"
  read -ra fields <<<"${stat##*) }"
  echo $((fields[11] + fields[12]))
}

# nap: a pause of 10 ms without starting a process (a read that times out on an empty FIFO).
mkfifo "$work/nap"
exec {nap_fd}<>"$work/nap"
nap() { read -rt 0.01 -u "$nap_fd" _ || true; }

# window_run LABEL BINARY SOURCE DESTINATION [SETTING...]: starts BINARY in $work/run with the
# default options, SOURCE and DESTINATION preset (and the extra settings lines), clicks Copy,
# waits for the end of the run and adds "wall cpu peak-KiB" to LABEL's list.
window_run() {
  local label="$1" binary="$2" source="$3" destination="$4" line
  shift 4
  rm -f "$work/run/sorvel.ini" "$work/run/sorvel.log.htm"
  for line in "saveSourceFile: yes" "lastSourceFile: $source" "saveDestinyFolder: yes" \
    "lastDestinyFolder: $destination" "saveSettings: no" "$@"; do
    printf '%s\r\n' "$line" >>"$work/run/sorvel.ini"
  done
  (cd "$work/run" && exec "$binary") >"$work/program.out" 2>&1 &
  program_pid=$!
  local window="" attempt start end ticks
  for _ in $(seq 200); do
    window="$(xdotool search --onlyvisible --pid "$program_pid" --name '^sorvel' 2>/dev/null | head -n 1 || true)"
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "no window: $(cat "$work/program.out")" >&2; exit 1; }
  # A click before the loop waits for input is dropped: the first click that starts a run (the
  # log appears) is the one timed.
  sleep 1
  eval "${before_click:-}"
  for attempt in $(seq 10); do
    ticks="$(cpu_ticks "$program_pid")"
    start="$EPOCHREALTIME"
    xdotool mousemove --window "$window" 40 110 click 1
    for _ in $(seq 300); do [ -e "$work/run/sorvel.log.htm" ] && break 2; nap; done
  done
  [ -e "$work/run/sorvel.log.htm" ] || { echo "no run started" >&2; exit 1; }
  # The log is read only once the program has used no processor time for 0.1 s.
  local last_ticks=-1 still=0 now_ticks
  while :; do
    kill -0 "$program_pid" 2>/dev/null || { echo "the program ended during a run" >&2; exit 1; }
    now_ticks="$(cpu_ticks "$program_pid")"
    if [ "$now_ticks" = "$last_ticks" ]; then still=$((still + 1)); else still=0; fi
    last_ticks="$now_ticks"
    if [ "$still" -ge 10 ]; then
      tail -c 300 "$work/run/sorvel.log.htm" | grep -qE '>Written -?[0-9]+bytes</FONT><BR>' && break
      still=0
    fi
    nap
  done
  # The run ended with the last write of its log: the time of that write, not of the poll.
  end="$(stat -c %.9Y "$work/run/sorvel.log.htm")"
  local used peak
  used=$(($(cpu_ticks "$program_pid") - ticks))
  peak="$(awk '/^VmHWM/ { print $2 }' "/proc/$program_pid/status")"
  kill "$program_pid"
  wait "$program_pid" 2>/dev/null || true
  program_pid=""
  awk -v s="$start" -v e="$end" -v u="$used" -v t="$(getconf CLK_TCK)" -v p="$peak" \
    'BEGIN { printf "%.2f %.2f %s\n", e - s, u / t, p }' >>"$work/$label.times"
}

# ---- 1. many small files ------------------------------------------------------------------------
if [[ " $parts " == *" 1 "* ]]; then
  mkdir -p "$work/many"
  head -c $((file_count * 1024)) /dev/urandom | split -b 1024 -a 6 -d - "$work/many/f"
  for round in $(seq "$rounds"); do
    timed cp-many cp -r "$work/many" "$work/cp-$round"
    window_run window "$program" "$work/many/*.*" "$work/job-$round"
    window_run window-noprint "$program" "$work/many/*.*" "$work/noprint-$round" "printProgress: no"
    timed headless "$headless" "$work/many/*.*" "$work/headless-$round"
    timed headless-nobar "$headless" --off showProgressBar "$work/many/*.*" \
      "$work/headless-nobar-$round"
    if [ -n "$before" ]; then
      window_run window-before "$before" "$work/many/*.*" "$work/before-$round"
    fi
    diff -r -q "$work/many" "$work/job-$round" >/dev/null || { echo "copies differ" >&2; exit 1; }
  done
  # The copies are deleted only now: creating files on ext4 costs several times more for a while
  # after many were deleted, and would cost the command that runs first after a deletion most.
  echo
  echo "1. $file_count files of 1 KiB in one folder (a run in the window, default options)"
  header "" cp-r
  report cp-many "cp -r"
  report window "sorvel" cp-many
  report window-noprint "sorvel, printProgress off" cp-many
  report headless "sorvel headless, no display" cp-many
  report headless-nobar "  the same, showProgressBar off" cp-many
  if [ -n "$before" ]; then report window-before "sorvel before" cp-many; fi
  rm -rf "$work/many" "$work"/cp-[0-9]* "$work"/job-[0-9]* "$work"/noprint-* "$work"/before-* \
    "$work"/headless-*
fi

# ---- 2. a healthy large file --------------------------------------------------------------------
if [[ " $parts " == *" 2 "* ]]; then
  mkdir -p "$work/big"
  head -c $((mib << 20)) /dev/urandom >"$work/big/healthy.bin"
  # A virtual machine hands memory freed for a few seconds back to its host, and filling it again
  # then costs several times more: that alone can double the time of a copy of 1 GiB. So right
  # before each command starts (the program in the window: right before its click), the previous
  # copy is deleted and twice the file's size of memory is filled and freed, so that every command
  # finds the memory it fills ready.
  warm_memory() {
    rm -rf "$last"
    head -c $((2 * mib))M /dev/zero >/dev/shm/sorvel-window-warm
    rm -f /dev/shm/sorvel-window-warm
  }
  last=""
  for round in $(seq "$rounds"); do
    warm_memory
    timed cp-big cp "$work/big/healthy.bin" "$work/cp.bin"
    last="$work/cp.bin"
    before_click=warm_memory
    window_run window-big "$program" "$work/big/healthy.bin" "$work/job"
    before_click=""
    cmp -s "$work/big/healthy.bin" "$work/job/healthy.bin" || { echo "copy differs" >&2; exit 1; }
    last="$work/job"
    warm_memory
    timed headless-big "$headless" "$work/big/healthy.bin" "$work/headless"
    last="$work/headless"
    if [ -n "$before" ]; then
      before_click=warm_memory
      window_run window-big-before "$before" "$work/big/healthy.bin" "$work/job-before"
      before_click=""
      last="$work/job-before"
    fi
  done
  rm -rf "$last"
  echo
  echo "2. a healthy file of $mib MiB (a run in the window, default options)"
  header
  report cp-big "cp"
  report window-big "sorvel" cp-big
  report headless-big "sorvel headless, no display" cp-big
  if [ -n "$before" ]; then report window-big-before "sorvel before" cp-big; fi
fi

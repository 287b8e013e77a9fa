#!/usr/bin/env bash
# Damaged files last, and a copy resumed from its map, on a failing disk with the kernel in between
# (bench/loop_medium.sh: an ext4 image on a loop device over the test medium). The medium traces
# every read in order (sorvel_medium --trace); the figures are counted from the trace, nothing is
# timed.
#
# 1. Many files: SORVEL_DAMAGED_FILES files (200) of 256 KiB to 1 MiB, five of them (the 3rd, 50th,
#    100th, 150th and 190th of the run, which goes in name order) with three bad sectors of 512
#    bytes each, copied in one run by the program with and without retryDamagedLast, at sectorSize
#    1 and 512, and by GNU ddrescue in direct mode with the same retry count (depthRead, 16), file
#    after file, each file with its own mapfile. Printed: the failed reads before every readable
#    byte of every file was read once, the failed reads in all, the readable bytes each lost, the
#    bytes where each differs from ddrescue's copy, and the files saved under their names. The
#    damage is bad sectors only, and few: at sectorSize 1 the retry phase reads a bad area byte by
#    byte through the system's cache, where one bad sector spoils its whole 4 KiB page and every
#    read of a byte of it fails several reads of the medium, so that one bad sector costs some
#    300,000 failed reads or more. A run of the program is therefore stopped (SIGKILL) after
#    SORVEL_DAMAGED_CAP failed reads (100000); its figures then read ">N" where they would be more
#    than the N failed reads there were, and its bytes lost count what the stopped run had saved,
#    under the temporary names too.
# 2. A resumed copy: one file of 64 MiB with bad sectors on a medium made slow (a delay on every
#    read of each 64 KiB), copied by the program, which is killed (SIGKILL) once its map calls about
#    half of the file done; the map is saved as it was then, and the program is run again over the
#    same source and destination, on the medium at full speed. Printed: the reads of the second run
#    that fall into what the saved map calls done (a failed read is placed by its first byte, the
#    only one the trace gives), its reads and failed reads against those of a copy never
#    interrupted, and whether the file it leaves equals the uninterrupted copy.
#
# Usage: bench/damaged_last.sh
# Environment: SORVEL_DAMAGED_FILES (200, at least 190), SORVEL_DAMAGED_CAP (100000),
#   SORVEL_DAMAGED_PART ("many" or "resumed" for one of the two; both by default),
#   SORVEL_BENCH_BUILD (build/bench-speed), SORVEL_RESCUE_DIR (/var/tmp).
set -euo pipefail
cd "$(dirname "$0")/.."
files="${SORVEL_DAMAGED_FILES:-200}"
damaged="3 50 100 150 190" # the damaged files, by their place in the run
build="${SORVEL_BENCH_BUILD:-build/bench-speed}"
depth=16 # depthRead of the default options
# The failed reads after which a run of the program is stopped: at sectorSize 1 the retry phase
# of one bad sector alone fails some 300,000 to 2,000,000 reads of the medium.
cap="${SORVEL_DAMAGED_CAP:-100000}"
program="$PWD/$build/bench_speed"
medium="$PWD/$build/sorvel_medium"
source bench/medium.sh
source bench/loop_medium.sh
loop_bench_start
medium_flags=(--trace "$work/trace")
mkdir -p "$work/run"

# ---- the figures, from the trace ----

# before_and_all: "FAILED-BEFORE FAILED-IN-ALL" from the trace: the failed reads that came before
# every readable 512-byte sector of every file in $work/file-blocks (less the bad sectors of
# $work/rules) was delivered once, and all failed reads.
before_and_all() {
  awk 'FILENAME == ARGV[1] { if ($4 == "eio") for (s = int($2 / 512); s <= int($3 / 512); s++) bad[s] = 1
      next }
    FILENAME == ARGV[2] { for (k = 0; k < 8; k++) { s = $2 * 8 + k
        if (!(s in bad) && !(s in want)) { want[s] = 1; left++ } } next }
    $4 != "disk.img" { next }
    $3 == 1 { failed++; next }
    { for (s = int($1 / 512); s < int(($1 + $2) / 512); s++) if (s in want) { delete want[s]; left-- }
      if (left == 0 && before == "") before = failed + 0 }
    END { print (before == "" ? "never" : before), failed + 0 }' \
    "$work/rules" "$work/file-blocks" "$work/trace"
}

# copy_of FOLDER NAME: the copy of NAME in FOLDER: under its name, or else under its temporary
# name (a run that was stopped).
copy_of() {
  if [ -e "$1/$2" ]; then echo "$1/$2"; else echo "$1/$2.sorvel-part"; fi
}

# lost SOURCE COPY: the readable bytes (outside the bad ranges of $work/file-rules) of the files of
# the folder SOURCE that their copies in the folder COPY do not hold.
lost() {
  local path name copy
  for path in "$1"/*; do
    name="$(basename "$path")"
    copy="$(copy_of "$2" "$name")"
    cmp -s "$path" "$copy" && continue
    cmp -l "$path" "$copy" 2>/dev/null | awk -v name="$name" \
      'NR == FNR { if ($1 == name) { first[++n] = $2; last[n] = $3 }; next }
      { offset = $1 - 1; inside = 0
        for (i = 1; i <= n; i++) if (offset >= first[i] && offset <= last[i]) inside = 1
        if (!inside) count++ } END { print count + 0 }' "$work/file-rules" - || true
    # A copy that is missing or short loses the rest of the file.
    echo $(($(stat -c %s "$path") - $(stat -c %s "$copy" 2>/dev/null || echo 0)))
  done | awk '{ sum += $1 } END { print sum + 0 }'
}

# unlike A B: the bytes where the copies in the folder A differ from the same names in the folder
# B (which holds every file under its name), a missing or short copy counting its missing bytes.
unlike() {
  local path name copy
  for path in "$2"/*; do
    name="$(basename "$path")"
    copy="$(copy_of "$1" "$name")"
    cmp -s "$path" "$copy" && continue
    cmp -l "$path" "$copy" 2>/dev/null | wc -l || true
    echo $(($(stat -c %s "$path") - $(stat -c %s "$copy" 2>/dev/null || echo 0)))
  done | awk '{ sum += $1 } END { print sum + 0 }'
}

# ---- the readers ----

# sorvel_files OUT [LINE...]: the program copies every file of the medium into $work/OUT in one
# run with zero substitution and the settings LINEs, stopped (SIGKILL) once the medium has failed
# $cap reads; sets before and all from the trace, each as ">N" for a stopped run where the figure
# would be more than the N failed reads there were.
sorvel_files() {
  local out="$1" line lines=() pid failed stopped=""
  shift
  for line in "$@"; do lines+=(--line "$line"); done
  rm -rf "${work:?}/${out:?}" "$work/trace"
  attach_medium "$work/fs"
  (cd "$work/run" && exec "$program" --line "subDamagedBitByZero: yes" "${lines[@]}" \
    "$work/fs/*.*" "$work/$out" >/dev/null) &
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    failed="$(awk '$1 == "file" && $4 == "disk.img" { print $3 }' \
      "$work/served/.sorvel-medium-counts")"
    if [ "${failed:-0}" -ge "$cap" ]; then
      kill -KILL "$pid" 2>/dev/null || true
      stopped=yes
      break
    fi
    sleep 0.5
  done
  { wait "$pid" || true; } 2>/dev/null
  detach_medium
  read -r before all <<<"$(before_and_all)"
  if [ -n "$stopped" ]; then
    [ "$before" = never ] && before=">$all"
    all=">$all"
  fi
}

# rescue_files OUT: ddrescue -d -r depth copies the files of the medium into $work/OUT one after
# the other in name order, each with its own mapfile, unread bytes left zero; sets before and all.
rescue_files() {
  local path name
  rm -rf "${work:?}/${1:?}" "$work/$1-maps" "$work/trace"
  mkdir -p "$work/$1" "$work/$1-maps"
  attach_medium "$work/fs"
  for path in "$work/files"/*; do
    name="$(basename "$path")"
    ddrescue -q -d -r "$depth" "$work/fs/$name" "$work/$1/$name" "$work/$1-maps/$name.map" \
      >/dev/null 2>&1 || true
    truncate -s "$(stat -c %s "$path")" "$work/$1/$name"
  done
  detach_medium
  read -r before all <<<"$(before_and_all)"
}

# ---- 1. many files ----

# make_files: the files in $work/files, their damage in $work/file-rules (lines NAME FIRST LAST
# MODE N) and the image.
make_files() {
  mkdir -p "$work/files"
  local index name size
  for index in $(seq "$files"); do
    name="$(printf 'f%03d.bin' "$index")"
    # 64 to 256 blocks of 4 KiB, the same on every run of the benchmark.
    size=$(((64 + (index * 7919) % 193) * 4096))
    head -c "$size" /dev/urandom | tr '\000' '\001' >"$work/files/$name"
    case " $damaged " in
      *" $index "*)
        awk -v name="$name" -v s="$size" 'BEGIN { for (k = 1; k <= 3; k++) {
            first = int(s * k / 4 / 4096) * 4096 + 1536; printf "%s %d %d eio 0\n", name, first, first + 511 } }'
        ;;
    esac
  done >"$work/file-rules"
  make_image_files $(($(du -sm "$work/files" | cut -f1) + 64)) "$work/files"
  image_rules_files "$work/file-rules"
}

# row TITLE BEFORE ALL OUT: one row of the table of the many files.
row() {
  printf '  %-40s %10s %10s %10s %10s %8s\n' "$1" "$2" "$3" "$(lost "$work/files" "$work/$4")" \
    "$(unlike "$work/$4" "$work/r")" "$(find "$work/$4" -type f ! -name '*.sorvel-*' | wc -l)"
}

many_files() {
  make_files
  echo "$files files of 256 KiB to 1 MiB ($(du -sm "$work/files" | cut -f1) MiB) on ext4 on a loop device over the test medium,"
  echo "5 of them (numbers ${damaged// /, } of the run) with 3 bad sectors of 512 bytes each; depthRead $depth"
  printf '  %-40s %10s %10s %10s %10s %8s\n' "" "failed" "failed" "readable" "bytes" "files" \
    "" "before" "reads" "bytes" "unlike" "under" "" "all read" "in all" "lost" "ddrescue" "names"
  local before all before_1 before_512 r_before
  rescue_files r
  r_before="$before"
  row "ddrescue -d -r $depth, file after file" "$before" "$all" r
  sorvel_files s1 "sectorSize: 1"
  row "sorvel, sectorSize 1" "$before" "$all" s1
  sorvel_files s1l "sectorSize: 1" "retryDamagedLast: yes"
  before_1="$before"
  row "sorvel, sectorSize 1, retryDamagedLast" "$before" "$all" s1l
  sorvel_files s512 "sectorSize: 512"
  row "sorvel, sectorSize 512" "$before" "$all" s512
  sorvel_files s512l "sectorSize: 512" "retryDamagedLast: yes"
  before_512="$before"
  row "sorvel, sectorSize 512, retryDamagedLast" "$before" "$all" s512l
  echo "  (>N: the run was stopped after N failed reads; the figure would be more)"
  echo "  goal: with retryDamagedLast, failed reads before all was read at most ddrescue's ($r_before):"
  echo "    sectorSize 1: $before_1, sectorSize 512: $before_512"
}

# ---- 2. a resumed copy ----

# reads_into_done MAP: "READS-INTO-DONE BYTES-INTO-DONE READS FAILED BYTES" from the trace: the
# reads of the image that touch a 512-byte sector the mapfile MAP of the file in $work/file-blocks
# calls done whole (a failed read counts when its first byte lies in one) and the bytes of such
# sectors they delivered, all reads of the image, the failed ones, and the bytes delivered.
reads_into_done() {
  awk 'function hex(text,   value, i) { value = 0; text = tolower(substr(text, 3))
      for (i = 1; i <= length(text); i++) value = value * 16 + index("0123456789abcdef", substr(text, i, 1)) - 1
      return value }
    FILENAME == ARGV[1] { block[blocks++] = $2; next }
    FILENAME == ARGV[2] { if ($0 ~ /^#/ || NF == 0) next
      if (!status) { status = 1; next }
      if ($3 != "+") next
      for (s = int((hex($1) + 511) / 512); s < int((hex($1) + hex($2)) / 512); s++)
        done[block[int(s / 8)] * 8 + s % 8] = 1
      next }
    $4 != "disk.img" { next }
    { reads++; bytes += $2 }
    $3 == 1 { failed++; if (int($1 / 512) in done) into++; next }
    { touched = 0
      for (s = int($1 / 512); s * 512 < $1 + $2; s++) if (s in done) { touched = 1; again += 512 }
      into += touched }
    END { print into + 0, again + 0, reads + 0, failed + 0, bytes + 0 }' \
    "$work/file-blocks" "$1" "$work/trace"
}

# done_bytes MAP: the bytes the mapfile MAP calls done.
done_bytes() {
  awk 'function hex(text,   value, i) { value = 0; text = tolower(substr(text, 3))
      for (i = 1; i <= length(text); i++) value = value * 16 + index("0123456789abcdef", substr(text, i, 1)) - 1
      return value }
    /^#/ || NF == 0 { next }
    !status { status = 1; next }
    $3 == "+" { sum += hex($2) }
    END { print sum + 0 }' "$1" 2>/dev/null || echo 0
}

# big_copy OUT [stop]: the program copies big.bin from the medium into the folder $work/OUT with
# zero substitution; with "stop", killed (SIGKILL) once its map calls half of the file done, or
# more, and its map is saved in $work/saved.map. Sets reads, failed and bytes from the trace, and
# killed when the program was killed.
big_copy() {
  local pid map="$work/$1/big.bin.sorvel-map"
  killed=""
  rm -f "$work/trace"
  attach_medium "$work/fs"
  (cd "$work/run" && exec "$program" --line "subDamagedBitByZero: yes" "$work/fs/big.bin" \
    "$work/$1" >/dev/null) &
  pid=$!
  while [ "${2:-}" = stop ] && kill -0 "$pid" 2>/dev/null; do
    if [ "$(done_bytes "$map")" -ge $((big_size / 2)) ]; then
      kill -KILL "$pid"
      killed=yes
      break
    fi
    sleep 0.2
  done
  { wait "$pid" || true; } 2>/dev/null
  detach_medium
  if [ "${2:-}" = stop ]; then cp "$map" "$work/saved.map" 2>/dev/null || : >"$work/saved.map"; fi
  read -r _ _ reads failed bytes <<<"$(reads_into_done /dev/null)"
}

resumed_copy() {
  rm -rf "$work/files" "$work/s1" "$work/s1l" "$work/s512" "$work/s512l" "$work/r" "$work/r-maps"
  big_size=$((64 << 20))
  mkdir -p "$work/big"
  head -c "$big_size" /dev/urandom | tr '\000' '\001' >"$work/big/big.bin"
  # Ten bad sectors spread through the file and a bad area of 4 KiB at 70 %.
  awk -v s="$big_size" 'BEGIN { for (i = 0; i < 10; i++) { first = int(s / 11 * (i + 0.5) / 4096) * 4096 + 2048
        printf "big.bin %d %d eio 0\n", first, first + 511 }
      first = int(s * 0.7 / 4096) * 4096; printf "big.bin %d %d eio 0\n", first, first + 4095 }' \
    >"$work/file-rules"
  make_image_files 96 "$work/big"
  # The slow medium of the first run: 30 ms on every read of a 64 KiB stretch, some 30 s in all.
  awk -v s="$big_size" 'BEGIN { for (at = 0; at < s; at += 65536) printf "big.bin %d %d slow 30\n", at, at + 511 }' |
    cat "$work/file-rules" - >"$work/slow-rules"
  image_rules_files "$work/file-rules"
  big_copy reference
  local reference_reads="$reads" reference_failed="$failed" reference_bytes="$bytes"
  image_rules_files "$work/slow-rules"
  big_copy resumed stop
  if [ -z "$killed" ]; then
    echo "the copy of 64 MiB ended before its map called half of it done: no resumed copy to count"
    return
  fi
  local saved
  saved="$(done_bytes "$work/saved.map")"
  image_rules_files "$work/file-rules"
  big_copy resumed
  local into again
  read -r into again _ <<<"$(reads_into_done "$work/saved.map")"
  echo
  echo "a file of 64 MiB with 10 bad sectors of 512 bytes and a bad 4 KiB area, killed (SIGKILL) when its map"
  awk -v d="$saved" -v s="$big_size" 'BEGIN { printf "called %d bytes (%.1f %%) done, then copied again over the same destination\n", d, d * 100 / s }'
  echo "  reads of the medium into what the saved map called done: $into, $again bytes of it read again (goal: 0)"
  echo "  reads of the medium: resumed run $reads ($bytes bytes), uninterrupted copy $reference_reads ($reference_bytes bytes)"
  echo "  failed reads: resumed run $failed, uninterrupted copy $reference_failed"
  if cmp -s "$work/resumed/big.bin" "$work/reference/big.bin"; then
    echo "  the file left equals the uninterrupted copy: yes"
  else
    echo "  the file left equals the uninterrupted copy: NO ($(cmp -l "$work/resumed/big.bin" \
      "$work/reference/big.bin" 2>&1 | wc -l) bytes differ or it is missing)"
  fi
  echo "  readable bytes lost: resumed $(lost "$work/big" "$work/resumed"), uninterrupted $(lost "$work/big" "$work/reference")"
  echo "  files left in the destination: $(find "$work/resumed" -mindepth 1 -printf '%f ')"
}

case "${SORVEL_DAMAGED_PART:-all}" in
  many) many_files ;;
  resumed) resumed_copy ;;
  *)
    many_files
    resumed_copy
    ;;
esac

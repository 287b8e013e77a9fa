# Timing for the benchmarks, sourced by them: each command's wall time, processor time and peak
# memory, round after round, and medians of them and of the ratios round by round. Uses $work (the
# scratch folder, with $work/run where commands run) and $rounds. GNU time (Debian package time)
# is installed when missing.

if [ ! -x /usr/bin/time ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends time >/dev/null
fi

# timed LABEL COMMAND...: runs COMMAND (in $work/run) and adds "wall cpu maxrss" to LABEL's list.
timed() {
  local label="$1"
  shift
  if ! (cd "$work/run" && /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >"$work/out" \
    2>"$work/err"); then
    echo "failed: $*" >&2
    cat "$work/err" >&2
    exit 1
  fi
  tail -n 1 "$work/time" | awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' >>"$work/$label.times"
}

# median COLUMN LABEL: the median of one column of LABEL's list.
median() {
  awk -v c="$1" '{ print $c }' "$work/$2.times" | sort -g |
    awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# round_ratio COLUMN LABEL BASE: the median over the rounds of LABEL's time divided by BASE's time
# in the same round. The two ran one right after the other, so a machine whose speed drifts
# (shared with other work) slows both alike; the ratio of the medians would mix rounds.
round_ratio() {
  paste -d ' ' "$work/$2.times" "$work/$3.times" |
    awk -v c="$1" '{ base = $(c + 3); if (base > 0) print $c / base }' | sort -g |
    awk '{ v[NR] = $1 } END { if (NR == 0) print 0; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# report LABEL NAME [BASE]: one line of medians, with the medians of the ratios to BASE's times
# round by round.
report() {
  local wall cpu rss ratio=""
  wall="$(median 1 "$1")"
  cpu="$(median 2 "$1")"
  rss="$(awk '$3 > m { m = $3 } END { print m }' "$work/$1.times")"
  if [ -n "${3:-}" ]; then
    ratio="$(printf "%6.2fx %6.2fx" "$(round_ratio 1 "$1" "$3")" "$(round_ratio 2 "$1" "$3")")"
  fi
  printf "  %-34s %8s %8s %10s   %s\n" "$2" "$wall" "$cpu" "$rss" "$ratio"
}

# header [RUNS] [BASE]: the heading of a table of medians of RUNS runs each (default: the rounds),
# whose ratios are to BASE (default: cp).
header() {
  local base="${2:-cp}"
  printf "  %-34s %8s %8s %10s   %s\n" "command (median of ${1:-$rounds})" "wall s" "cpu s" \
    "peak KiB" "wall/$base cpu/$base"
}

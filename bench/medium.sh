# The test medium for the benchmarks (tests/e2e/medium), sourced by them. Uses $medium (the
# sorvel_medium binary) and $work (the scratch folder, with the served files in $work/disc);
# sets $medium_pid and $mounted, which the benchmark's cleanup unmounts.

# mount_medium RULES MOUNTPOINT: serves $work/disc at MOUNTPOINT with RULES; the counts go to
# $work/counts.
mount_medium() {
  mkdir -p "$2"
  rm -f "$work/counts"
  # medium_flags: further options of the medium (an array), such as --trace FILE.
  "$medium" ${medium_flags[@]+"${medium_flags[@]}"} --rules "$1" --counts "$work/counts" \
    "$work/disc" "$2" &
  medium_pid=$!
  for _ in $(seq 100); do
    grep -q " $2 fuse" /proc/mounts && { mounted="$2"; return 0; }
    sleep 0.1
  done
  echo "the test medium did not mount" >&2
  exit 1
}

# unmount_medium: unmounts the medium and waits until it has written its counts.
unmount_medium() {
  fusermount3 -u "$mounted"
  mounted=""
  wait "$medium_pid"
  medium_pid=""
}

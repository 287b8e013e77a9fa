# A failing disk with the kernel in between, for the benchmarks (sourced by them): an ext4 image
# served by the test medium (tests/e2e/medium), whose "eio" and "flaky" rules make chosen sectors
# of the image fail, attached to a loop device and mounted read-only. The kernel's block layer,
# page cache and read-ahead then stand between a reader and the bad sectors, as on a real disk.
# Uses $medium (the sorvel_medium binary) and $work (the scratch folder); the image lives in
# $work/disc. Needs root, loop devices and FUSE: loop_medium_usable says whether the machine has
# them.

# loop_bench_start: the start of a benchmark on this medium: installs ddrescue when missing, makes
# $work (in SORVEL_RESCUE_DIR, /var/tmp by default), exits with a message where the machine cannot
# attach the medium, arms the cleanup and builds bench_speed and sorvel_medium in $build.
loop_bench_start() {
  if ! command -v ddrescue >/dev/null; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends gddrescue \
      >/dev/null
  fi
  work="$(mktemp -d "${SORVEL_RESCUE_DIR:-/var/tmp}/sorvel-loop.XXXXXX")"
  mounted=""
  medium_pid=""
  if ! loop_medium_usable; then
    echo "skipped: this machine cannot attach the test medium to a loop device (root, FUSE, loop)"
    rm -rf "$work"
    exit 0
  fi
  trap loop_bench_cleanup EXIT
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSORVEL_TESTS=ON >/dev/null
  cmake --build "$build" -j 2 --target bench_speed sorvel_medium >/dev/null
}

# loop_bench_cleanup: detaches and unmounts whatever is left, and removes $work.
loop_bench_cleanup() {
  detach_all
  if [ -n "$mounted" ]; then fusermount3 -u "$mounted" 2>/dev/null || true; fi
  if [ -n "$medium_pid" ]; then wait "$medium_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}

# loop_medium_usable: true when this machine can build and attach the medium.
loop_medium_usable() {
  [ "$(id -u)" = 0 ] && [ -e /dev/fuse ] && command -v fusermount3 >/dev/null &&
    command -v mkfs.ext4 >/dev/null && command -v debugfs >/dev/null && losetup -f >/dev/null 2>&1
}

# make_image MIB FILE BYTES: a fresh ext4 image of MIB MiB in $work/disc/disk.img holding FILE, a
# copy of the file BYTES; the image's block numbers of FILE go to $work/blocks, one a line, in
# file order.
make_image() {
  fill_image "$1"
  cp "$3" "$work/fill/$2"
  umount "$work/fill"
  blocks_of "$2" >"$work/blocks"
}

# make_image_files MIB FOLDER: a fresh ext4 image of MIB MiB in $work/disc/disk.img holding a copy
# of every file of FOLDER (with its modification time); the image's block numbers of every file go
# to $work/file-blocks, a line "NAME BLOCK" per block, in file order.
make_image_files() {
  fill_image "$1"
  cp -p "$2"/* "$work/fill/"
  umount "$work/fill"
  local path name
  for path in "$2"/*; do
    name="$(basename "$path")"
    blocks_of "$name" | sed "s/^/$name /"
  done >"$work/file-blocks"
}

# fill_image MIB: a fresh ext4 image of MIB MiB in $work/disc/disk.img, mounted at $work/fill.
fill_image() {
  mkdir -p "$work/disc" "$work/fill"
  rm -f "$work/disc/disk.img"
  truncate -s "$1M" "$work/disc/disk.img"
  mkfs.ext4 -q -F -b 4096 -E lazy_itable_init=0,lazy_journal_init=0 "$work/disc/disk.img"
  mount -o loop "$work/disc/disk.img" "$work/fill"
}

# blocks_of NAME: the image's block numbers of the file NAME at its root, one a line, in file order.
blocks_of() {
  debugfs -R "blocks /$1" "$work/disc/disk.img" 2>/dev/null | tr ' ' '\n' | grep .
}

# image_rules FILE_RULES: turns rules in file offsets (lines FIRST LAST MODE N, every range within
# one 4 KiB block of the file) into rules of the image ($work/rules).
image_rules() {
  awk 'NR == FNR { block[NR - 1] = $1; next }
    { b = int($1 / 4096); base = block[b] * 4096 - b * 4096
      printf "disk.img %d %d %s %s\n", $1 + base, $2 + base, $3, $4 }' "$work/blocks" "$1" \
    >"$work/rules"
}

# image_rules_files FILE_RULES: the same for an image of make_image_files: rules in offsets of
# named files (lines NAME FIRST LAST MODE N) become rules of the image ($work/rules).
image_rules_files() {
  awk 'NR == FNR { block[$1, count[$1]++] = $2; next }
    { b = int($2 / 4096); base = block[$1, b] * 4096 - b * 4096
      printf "disk.img %d %d %s %s\n", $2 + base, $3 + base, $4, $5 }' "$work/file-blocks" "$1" \
    >"$work/rules"
}

# attach_medium MOUNTPOINT [OPTIONS]: serves $work/disc with $work/rules, attaches the image read-only to a
# loop device and mounts its file system read-only at MOUNTPOINT (with the mount OPTIONS); the counts of the medium go to
# $work/counts at detach_medium.
attach_medium() {
  mount_medium "$work/rules" "$work/served"
  loop_device="$(losetup -f --show -r "$work/served/disk.img")"
  mkdir -p "$1"
  # A journal is replayed by no read-only mount of ours (noload), unless a data mode is given,
  # which ext4 takes only with its journal.
  mount -t ext4 -o "ro,${2:-noload}" "$loop_device" "$1"
  loop_mounted="$1"
}

# detach_medium: unmounts the file system, detaches the loop device and unmounts the medium.
detach_medium() {
  umount "$loop_mounted"
  loop_mounted=""
  losetup -d "$loop_device"
  loop_device=""
  unmount_medium
}

# detach_all: for the benchmark's cleanup.
detach_all() {
  if [ -n "${loop_mounted:-}" ]; then umount "$loop_mounted" 2>/dev/null || umount -l "$loop_mounted"; fi
  if [ -n "${loop_device:-}" ]; then losetup -d "$loop_device" 2>/dev/null || true; fi
}

#!/usr/bin/env bash
# The real program with its default settings on a failing disk with the kernel in between: an ext4
# image served by the test medium, attached to a loop device and mounted read-only. The cache
# refuses a whole cache unit (a page or more) around a bad sector; the program reads the failed
# stretch past the cache, sector by sector, so every readable sector is saved, a sector that fails
# its first reads is recovered, and each bad sector costs its depthRead + 1 failed reads and a few
# more for the reads through the cache that met it.
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup copy_loop_medium_test "${1:-}"
e2e_need_fuse
[ "$(id -u)" = 0 ] || e2e_skip "loop devices need root"
command -v mkfs.ext4 >/dev/null && command -v debugfs >/dev/null ||
  e2e_skip "mkfs.ext4 and debugfs (e2fsprogs) are missing"
losetup -f >/dev/null 2>&1 || e2e_skip "no free loop device on this machine"
e2e_start_xvfb

depth=2 # depthRead of e2e_settings
src="$E2E_DIR/disc"
fill="$E2E_DIR/fill"
mkdir -p "$src" "$fill"
head -c $((1 << 20)) /dev/urandom | tr '\000' '\001' >"$E2E_DIR/photo.bin"
truncate -s 16M "$src/disk.img"
mkfs.ext4 -q -F -b 4096 "$src/disk.img" || e2e_abort "mkfs.ext4 failed"
mount -o loop "$src/disk.img" "$fill" || e2e_skip "an ext4 image cannot be mounted here"
cp "$E2E_DIR/photo.bin" "$fill/photo.bin"
umount "$fill"
# The image offset of a file offset: the file's 4 KiB blocks are listed in order.
mapfile -t blocks < <(debugfs -R "blocks /photo.bin" "$src/disk.img" 2>/dev/null | tr ' ' '\n' | grep .)
image_offset() { echo $((blocks[$1 / 4096] * 4096 + $1 % 4096)); }
# A bad sector in the middle of a page, and a sector that fails its first two reads.
bad=$((300 * 1024 + 1536))
flaky=$((700 * 1024 + 512))
cat >"$E2E_DIR/rules" <<RULES
disk.img $(image_offset $bad) $(($(image_offset $bad) + 511)) eio 0
disk.img $(image_offset $flaky) $(($(image_offset $flaky) + 511)) flaky 2
RULES

e2e_mount_medium "$src" "$E2E_DIR/served" "$E2E_DIR/rules"
loop="$(losetup -f --show -r "$E2E_DIR/served/disk.img")" || e2e_abort "losetup failed"
mkdir -p "$E2E_DIR/fs"
E2E_EXTRA_MOUNTS+=("$E2E_DIR/fs")
mount -t ext4 -o ro,noload "$loop" "$E2E_DIR/fs" || { losetup -d "$loop"; e2e_abort "mount failed"; }

mkdir -p "$E2E_DIR/run"
e2e_settings "$E2E_DIR/run/sorvel.ini" "$E2E_DIR/fs/*.*" "$E2E_DIR/out"
log="$E2E_DIR/run/sorvel.log.htm"
e2e_run_copy "$E2E_DIR/run" "$log" "$E2E_END_VERIFIED" 120
umount "$E2E_DIR/fs"
E2E_EXTRA_MOUNTS=()
losetup -d "$loop"
counts="$(e2e_counts "$E2E_DIR/served")"
e2e_unmount_medium "$E2E_DIR/served"

e2e_with_zeros "$E2E_DIR/photo.bin" "$E2E_DIR/expected" $bad $((bad + 511))
e2e_expect_same "photo.bin" "$E2E_DIR/expected" "$E2E_DIR/out/photo.bin"
e2e_expect_log_entry "unreadable bytes" "$log" "unable read 512bytes"
read -r reads failed <<<"$(e2e_file_reads "$counts" disk.img)"
e2e_log "reads of the medium: $reads, failed: $failed"
# depthRead + 1 for the bad sector, 2 for the flaky one, and a few for reads through the cache.
[ "$failed" -ge $((depth + 1 + 2)) ] && [ "$failed" -le $((depth + 1 + 2 + 4)) ] ||
  e2e_fail "failed reads of the medium: $failed (expected $((depth + 3)) to $((depth + 7)))"

e2e_finish

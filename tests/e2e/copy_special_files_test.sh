#!/usr/bin/env bash
# A FIFO, a socket and a file that cannot be opened among the files of the medium: the run does
# not hang on any of them, none is created at the destination, the unopenable file is reported,
# and the ordinary files are copied.
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup copy_special_files_test "${1:-}"
e2e_need_fuse

src="$E2E_DIR/disc"
mnt="$E2E_DIR/cd"
run="$E2E_DIR/run"
dest="$E2E_DIR/saved"
mkdir -p "$src" "$run"
mkfifo "$src/a-pipe"
"$E2E_PROBE" --socket "$src/b-socket" || e2e_abort "could not make a socket file"
head -c 700 /dev/urandom >"$src/c-locked.bin"
head -c 900 /dev/urandom >"$src/d-good.bin"
seq 1 300 >"$src/e-good.txt"
echo "c-locked.bin 0 0 noopen 0" >"$E2E_DIR/rules"
e2e_mount_medium "$src" "$mnt" "$E2E_DIR/rules"
e2e_start_xvfb

log="$run/sorvel.log.htm"
e2e_settings "$run/sorvel.ini" "$mnt/*.*" "$dest"
e2e_run_copy "$run" "$log" "$E2E_END_VERIFIED" 60

e2e_expect_same "d-good.bin" "$src/d-good.bin" "$dest/d-good.bin"
e2e_expect_same "e-good.txt" "$src/e-good.txt" "$dest/e-good.txt"
for name in a-pipe b-socket c-locked.bin; do
  [ -e "$dest/$name" ] || [ -L "$dest/$name" ] && e2e_fail "$name was created at the destination"
done
e2e_expect_log_entry "unopenable file" "$log" 'Copy "c-locked.bin", unable open file'
e2e_expect_log_entry "FIFO passed over as empty" "$log" 'Copy of "<B>a-pipe</B>", is empty'
e2e_expect_log_entry "socket passed over as empty" "$log" 'Copy of "<B>b-socket</B>", is empty'
e2e_expect_log_entry "d-good.bin summary" "$log" \
  "Read 900bytes of 900bytes, written 900bytes, verified 900bytes"
e2e_expect_log_entry "totals: written" "$log" "Written $((900 + $(e2e_size "$src/e-good.txt")))bytes"
e2e_expect_equal "attempts to change the medium" 0 "$(e2e_refused "$(e2e_counts "$mnt")")"

e2e_finish

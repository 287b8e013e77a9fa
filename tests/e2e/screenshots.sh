#!/usr/bin/env bash
# Takes two pictures of the real program's window under Xvfb, copying from a test medium with bad
# areas: one in the middle of the run (while the medium holds a slow read back) and one at its
# end. Not a test; for looking at the window.
#
#   bash tests/e2e/screenshots.sh PATH-OF-THE-SORVEL-BINARY [OUTPUT-FOLDER]
#
# The pictures are OUTPUT-FOLDER/during-run.png and OUTPUT-FOLDER/end-of-run.png (default folder:
# ./screenshots).
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup screenshots "${1:-}"
output="$(mkdir -p "${2:-screenshots}" && cd "${2:-screenshots}" && pwd)"
e2e_need_fuse

src="$E2E_DIR/disc"
mnt="$E2E_DIR/cd"
run="$E2E_DIR/run"
dest="$E2E_DIR/saved"
mkdir -p "$src" "$run"
head -c 10000 /dev/urandom >"$src/scratched.bin"
head -c 4000 /dev/urandom >"$src/intact.bin"
seq 1 2000 | head -c 6000 >"$src/readme.txt"
cat >"$E2E_DIR/rules" <<EOF
scratched.bin 1500 1519 fail 0
scratched.bin 3000 3004 flaky 1
scratched.bin 5000 5000 slow 4000
readme.txt 100 109 fail 0
EOF
e2e_mount_medium "$src" "$mnt" "$E2E_DIR/rules"
e2e_start_xvfb

log="$run/sorvel.log.htm"
e2e_settings "$run/sorvel.ini" "$mnt/*.*" "$dest" "subDamagedBitByZero: no"
e2e_start_run "$run" "$log"
# The medium holds the read that reaches the slow byte for 4 s: the window shows the percentage
# that scratched.bin had reached when that read began (a read in blocks begins well before it).
title_in_scratched() { [[ "$(e2e_title)" =~ scratched\.bin\ ([0-9]+)% ]]; }
if e2e_wait_until 30 title_in_scratched; then
  sleep 1
  e2e_screenshot "$output/during-run.png"
  e2e_log "title during the run: $(e2e_title)"
else
  e2e_fail "the title never showed scratched.bin with a percentage (last: $(e2e_title))"
fi
e2e_wait_file_grep 60 "$log" "$E2E_END_VERIFIED" || e2e_fail "the run did not end within 60 s"
sleep 0.5
e2e_screenshot "$output/end-of-run.png"
e2e_log "title at the end: $(e2e_title)"
e2e_close_program 30
cp "$log" "$output/sorvel.log.htm"
e2e_log "pictures in $output"
e2e_finish

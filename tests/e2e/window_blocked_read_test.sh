#!/usr/bin/env bash
# The window stays painted while a read blocks: during a run, the program's thread waits eight
# seconds for one read of the test medium (a slow range). Meanwhile another window covers the
# program's window for a second and goes away again. The window must show what it showed before,
# pixel for pixel; a click on it and a request to close it must change nothing, and the run goes
# on to its end.
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup window_blocked_read_test "${1:-}"
e2e_need_fuse
cover="$(e2e_tool sorvel_cover)" || exit 1
command -v compare >/dev/null || e2e_abort "ImageMagick's compare is missing (scripts/install-deps.sh)"

src="$E2E_DIR/disc"
mnt="$E2E_DIR/cd"
run="$E2E_DIR/run"
dest="$E2E_DIR/saved"
mkdir -p "$src" "$run"
head -c 20000 /dev/urandom >"$src/slow.bin"
echo "slow.bin 10000 10000 slow 8000" >"$E2E_DIR/rules"
e2e_mount_medium "$src" "$mnt" "$E2E_DIR/rules"
e2e_start_xvfb

log="$run/sorvel.log.htm"
e2e_settings "$run/sorvel.ini" "$mnt/*.*" "$dest"
e2e_start_run "$run" "$log"
# The read that reaches the slow byte is under way once the title shows the file; a moment later
# everything the program showed before that read is on the screen.
title_in_slow() { [[ "$(e2e_title)" == *slow.bin* ]]; }
e2e_wait_until 20 title_in_slow || e2e_abort "the title never showed slow.bin (last: $(e2e_title))"
started=$SECONDS
sleep 1
e2e_screenshot "$E2E_DIR/before.png" || e2e_abort "no picture before the window was covered"

eval "$(xdotool getwindowgeometry --shell "$E2E_WINDOW")"
"$cover" "$X" "$Y" "$WIDTH" "$HEIGHT" 1000 || e2e_abort "could not cover the window"
# A click on Copy and a request to close: refused while the run lasts.
e2e_click_copy
"$E2E_CLOSE" "$E2E_WINDOW" >/dev/null 2>&1 || true
sleep 1
e2e_screenshot "$E2E_DIR/after.png" || e2e_abort "no picture after the window was uncovered"
[ $((SECONDS - started)) -lt 7 ] || e2e_fail "the pictures took too long: the slow read may be over"
grep -qE "$E2E_END_VERIFIED" "$log" && e2e_fail "the run ended before the second picture"

differing="$(compare -metric AE "$E2E_DIR/before.png" "$E2E_DIR/after.png" null: 2>&1)"
e2e_expect_equal "pixels that differ after the window was uncovered during the slow read" 0 \
  "$differing"

e2e_wait_file_grep 60 "$log" "$E2E_END_VERIFIED" || e2e_fail "the run did not end within 60 s"
e2e_expect_same "the copy of slow.bin" "$src/slow.bin" "$dest/slow.bin"
# The log is the first run's: a second run would have rewritten it with a copy refused.
e2e_expect_log_entry "the copy of slow.bin" "$log" \
  "Read 20000bytes of 20000bytes, written 20000bytes, verified 20000bytes"
e2e_close_program 30
e2e_expect_equal "exit code of the program" 0 "$E2E_PROGRAM_EXIT"
[ "$E2E_FAILURES" -gt 0 ] && E2E_KEEP=1
e2e_finish

#!/usr/bin/env bash
# The options survive a restart of the real program: a check box clicked in the window is saved in
# sorvel.ini at exit, shown checked at the next start (closing again without a click keeps it),
# and unchecking it saves the change; no temporary file stays behind.
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup settings_restart_test "${1:-}"
e2e_start_xvfb

run="$E2E_DIR/run"
mkdir -p "$run"
ini="$run/sorvel.ini"

# "Verify copied data": client rectangle 400,100 240x20; the click lands on its box.
click_verify_box() { sleep 1; e2e_click 406 110; sleep 0.5; }

start_and_close() {
  e2e_start_program "$run"
  "$@"
  e2e_close_program 20
  e2e_expect_equal "exit code" 0 "$E2E_PROGRAM_EXIT"
}

verify_line() { tr -d '\r' <"$ini" | grep '^verifyData: ' || echo "(no verifyData line)"; }

start_and_close click_verify_box
[ -f "$ini" ] || e2e_abort "no settings file was written at exit"
e2e_expect_equal "after checking the box" "verifyData: yes" "$(verify_line)"
e2e_expect_equal "lines of the settings file" 37 "$(wc -l <"$ini" | tr -d ' ')"

start_and_close true
e2e_expect_equal "after a restart without a click" "verifyData: yes" "$(verify_line)"

start_and_close click_verify_box
e2e_expect_equal "after unchecking the box" "verifyData: no" "$(verify_line)"
e2e_expect_equal "files left in the folder" "sorvel.ini" \
  "$(ls -A "$run" | tr '\n' ' ' | sed 's/ $//')"

e2e_finish

#!/usr/bin/env bash
# The modal message box of a run that waits after each file: it comes up over the disabled main
# window, the main window refuses to close while it is up, Enter confirms it, and the run goes on
# to its end; the program then closes normally with exit code 0.
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup window_modal_test "${1:-}"
e2e_start_xvfb

src="$E2E_DIR/source"
run="$E2E_DIR/run"
dest="$E2E_DIR/saved"
mkdir -p "$src" "$run"
head -c 3000 /dev/urandom >"$src/first.bin"
head -c 5000 /dev/urandom >"$src/second.bin"
log="$run/sorvel.log.htm"
e2e_settings "$run/sorvel.ini" "$src/*" "$dest" "waitEnterAfterEachCopy: yes"

# Prints the program's visible message box, if one is up.
message_box() {
  xdotool search --all --onlyvisible --pid "$E2E_PROGRAM_PID" --name '^sorvel$' 2>/dev/null |
    grep -vx "$E2E_WINDOW" | head -n 1
}
box_up() { [ -n "$(message_box)" ]; }
box_gone() { [ "$(message_box)" != "$1" ]; }

e2e_start_run "$run" "$log"
e2e_wait_until 20 box_up || e2e_abort "no message box appeared during the run"
box="$(message_box)"
e2e_screenshot "$E2E_DIR/message-box.png"

# The main window is disabled while the box is up: closing it is refused.
"$E2E_CLOSE" "$E2E_WINDOW" >/dev/null 2>&1
sleep 0.5
e2e_pid_alive "$E2E_PROGRAM_PID" || e2e_abort "the program ended while its message box was up"
e2e_expect_equal "message box after a close request" "$box" "$(message_box)"

# Enter confirms each box; the run goes on to its end.
boxes=0
while box_up && [ "$boxes" -lt 10 ]; do
  box="$(message_box)"
  xdotool key --window "$box" Return 2>/dev/null
  e2e_wait_until 10 box_gone "$box" || e2e_abort "Enter did not confirm the message box"
  boxes=$((boxes + 1))
  e2e_wait_until 5 box_up || break
done
e2e_log "$boxes message boxes confirmed"
[ "$boxes" -ge 2 ] || e2e_fail "expected a message box after each file, saw $boxes"
e2e_wait_file_grep 30 "$log" "$E2E_END_VERIFIED" || e2e_fail "the run did not end"

e2e_close_program 30
e2e_expect_equal "exit code of the program" 0 "$E2E_PROGRAM_EXIT"
e2e_expect_same "copy of first.bin" "$src/first.bin" "$dest/first.bin"
e2e_expect_same "copy of second.bin" "$src/second.bin" "$dest/second.bin"
e2e_finish

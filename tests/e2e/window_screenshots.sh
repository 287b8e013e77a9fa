#!/usr/bin/env bash
# Takes pictures of the real window under Xvfb in each of its states, for a person to look at
# (every caption readable, nothing overlapping): at start-up with a source and destination from
# the settings file, during a run (state lines, title, progress bar), with the message box up
# between files, after the run, and with each of the two pickers open. Not a test.
#
#   bash tests/e2e/window_screenshots.sh PATH-OF-THE-SORVEL-BINARY [OUTPUT-FOLDER]
#
# The pictures go to OUTPUT-FOLDER (default ./window-screenshots): start.png, during-run.png,
# message-box.png, end-of-run.png, source-picker.png, destination-picker.png; the screen as a
# whole, since the message box and the pickers are windows of their own.
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup window_screenshots "${1:-}"
output="$(mkdir -p "${2:-window-screenshots}" && cd "${2:-window-screenshots}" && pwd)"
e2e_start_xvfb

src="$E2E_DIR/source"
run="$E2E_DIR/run"
dest="$E2E_DIR/saved"
mkdir -p "$src" "$run"
head -c 2000000 /dev/urandom >"$src/holiday photos.tar"
head -c 4000 /dev/urandom >"$src/notes.bin"
log="$run/sorvel.log.htm"

shoot() { import -window root "$output/$1" || e2e_fail "no picture $1"; }
title_shows() { [[ "$(e2e_title)" == *"$1"* ]]; }
message_box() {
  xdotool search --all --onlyvisible --pid "$E2E_PROGRAM_PID" --name '^sorvel$' 2>/dev/null |
    grep -vx "$E2E_WINDOW" | head -n 1
}
box_up() { [ -n "$(message_box)" ]; }
chooser() {
  xdotool search --all --onlyvisible --pid "$E2E_PROGRAM_PID" --name "^$1\$" 2>/dev/null |
    head -n 1
}
chooser_up() { [ -n "$(chooser "$1")" ]; }
chooser_gone() { [ -z "$(chooser "$1")" ]; }

# A run with the details of each file, progress in the title and a box after the second file.
e2e_settings "$run/sorvel.ini" "$src/*" "$dest" "depthRead: 1"
e2e_start_program "$run"
sleep 1
shoot start.png
e2e_click_copy
e2e_wait_until 30 title_shows "%" || e2e_fail "no progress in the title"
e2e_wait_until 30 title_shows "4" || true
shoot during-run.png
e2e_wait_file_grep 300 "$log" "$E2E_END_VERIFIED" || e2e_fail "the run did not end"
sleep 1
shoot end-of-run.png
e2e_close_program 30

# The message box between files.
rm -rf "$dest" "$log"
e2e_settings "$run/sorvel.ini" "$src/notes.bin" "$dest" "waitEnterAfterEachCopy: yes"
e2e_start_run "$run" "$log"
if e2e_wait_until 20 box_up; then
  sleep 0.5
  shoot message-box.png
  xdotool key --window "$(message_box)" Return 2>/dev/null
else
  e2e_fail "no message box"
fi
e2e_wait_file_grep 30 "$log" "$E2E_END_VERIFIED" || e2e_fail "the run with the box did not end"

# The two pickers (raised by hand: there is no window manager).
for picker in "Open:350:30:source-picker.png" "Browse for Folder:350:80:destination-picker.png"; do
  IFS=: read -r title x y picture <<<"$picker"
  e2e_click "$x" "$y"
  if e2e_wait_until 20 chooser_up "$title"; then
    xdotool windowraise "$(chooser "$title")"
    sleep 1
    shoot "$picture"
    xdotool mousemove --window "$(chooser "$title")" 300 200
    sleep 0.5
    xdotool key Escape
    e2e_wait_until 15 chooser_gone "$title" || e2e_fail "the chooser \"$title\" stayed up"
  else
    e2e_fail "no chooser \"$title\""
  fi
done
e2e_close_program 30
echo "pictures in $output"
e2e_finish

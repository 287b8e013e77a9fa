#!/usr/bin/env bash
# The two pickers in the real window: Browse opens the desktop's file chooser (or FLTK's own when
# the desktop has none) and the picked file lands in the source edit box; the second Browse picks
# the destination folder; a cancelled chooser changes nothing; Copy then copies the picked file
# into the picked folder, and both paths are kept in the settings file.
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup window_pickers_test "${1:-}"
e2e_start_xvfb

src="$E2E_DIR/source"
run="$E2E_DIR/run"
dest="$E2E_DIR/picked-folder"
mkdir -p "$src" "$run" "$dest"
head -c 7000 /dev/urandom >"$src/wanted.bin"
head -c 100 /dev/urandom >"$src/other.bin"
log="$run/sorvel.log.htm"
e2e_settings "$run/sorvel.ini" "" ""

# Client positions of the two Browse buttons.
browse_source=(350 30)
browse_destination=(350 80)

chooser() { xdotool search --all --onlyvisible --pid "$E2E_PROGRAM_PID" --name "^$1\$" 2>/dev/null | head -n 1; }
chooser_up() { [ -n "$(chooser "$1")" ]; }
chooser_gone() { [ -z "$(chooser "$1")" ]; }

# pick TITLE PATH: answers the chooser titled TITLE with PATH, typed as a user types it.
pick() {
  local title="$1" path="$2" window
  e2e_wait_until 20 chooser_up "$title" || e2e_abort "no chooser \"$title\" appeared"
  window="$(chooser "$title")"
  # Without a window manager nothing raises the new window or gives it the keyboard: the
  # keyboard follows the pointer.
  xdotool windowraise "$window"
  xdotool mousemove --window "$window" 300 200
  sleep 1
  # Ctrl+L opens the location field of the desktop's chooser, which may come with a name in it;
  # Ctrl+A selects what is there, so that the typed path replaces it.
  xdotool key ctrl+l
  sleep 0.5
  xdotool key ctrl+a
  xdotool type --delay 100 "$path"
  sleep 1
  xdotool key Return
  if ! e2e_wait_until 15 chooser_gone "$title"; then
    e2e_screenshot "$E2E_DIR/chooser-stuck.png"
    e2e_abort "the chooser \"$title\" did not take $path"
  fi
}

e2e_start_program "$run"
e2e_click "${browse_source[@]}"
pick "Open" "$src/wanted.bin"
e2e_click "${browse_destination[@]}"
pick "Browse for Folder" "$dest/"

# A chooser closed with Escape changes nothing.
e2e_click "${browse_source[@]}"
e2e_wait_until 20 chooser_up "Open" || e2e_abort "the chooser did not open a second time"
window="$(chooser "Open")"
xdotool windowraise "$window"
xdotool mousemove --window "$window" 300 200
sleep 1
xdotool key Escape
e2e_wait_until 15 chooser_gone "Open" || e2e_abort "Escape did not cancel the chooser"
e2e_screenshot "$E2E_DIR/after-picking.png"

e2e_click_copy
e2e_wait_until 20 test -e "$log" || e2e_abort "no run started after the click on Copy"
e2e_wait_file_grep 60 "$log" "$E2E_END_VERIFIED" || e2e_fail "the run did not end"
e2e_close_program 30
e2e_expect_equal "exit code of the program" 0 "$E2E_PROGRAM_EXIT"

e2e_expect_same "copy of the picked file" "$src/wanted.bin" "$dest/wanted.bin"
[ -e "$dest/other.bin" ] && e2e_fail "a file that was not picked was copied"
e2e_expect_grep "picked source kept" "$run/sorvel.ini" "lastSourceFile: $src/wanted.bin"
e2e_expect_grep "picked folder kept" "$run/sorvel.ini" "lastDestinyFolder: $dest"
e2e_finish

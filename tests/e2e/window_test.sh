#!/usr/bin/env bash
# The real window under a virtual display: the program starts with the source and destination of
# its settings file in the edit boxes; a destination typed over the preset one is the one used; a
# click on a check box changes its option at once; a click on Copy copies the files; the window
# closes through the window manager protocol; the program ends with exit code 0 and writes its
# settings back. (That the window refuses to close while disabled: window_modal_test.)
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup window_test "${1:-}"
e2e_start_xvfb

src="$E2E_DIR/source"
run="$E2E_DIR/run"
preset="$E2E_DIR/preset-destination"
typed="$E2E_DIR/typed-destination"
mkdir -p "$src" "$run" "$preset"
head -c 1000000 /dev/urandom >"$src/large.bin"
head -c 4000 /dev/urandom >"$src/small.bin"
printf 'plain text\r\n' >"$src/notes.txt"
log="$run/sorvel.log.htm"
e2e_settings "$run/sorvel.ini" "$src/*" "$preset" "haltOnFirstError: no"

# Client positions of the controls (the layout of the main window).
destination_edit=(160 80)
halt_on_first_error_box=(410 210)

e2e_start_program "$run"
e2e_click "${destination_edit[@]}"
xdotool key ctrl+a
xdotool type --delay 15 "$typed"
e2e_click "${halt_on_first_error_box[@]}"
e2e_click_copy
e2e_wait_until 20 test -e "$log" || e2e_abort "no run started after the click on Copy"

e2e_wait_file_grep 120 "$log" "$E2E_END_VERIFIED" || e2e_fail "the run did not end within 120 s"
e2e_screenshot "$E2E_DIR/after-run.png"
e2e_close_program 30
e2e_expect_equal "exit code of the program" 0 "$E2E_PROGRAM_EXIT"

for name in large.bin small.bin notes.txt; do
  e2e_expect_same "copy of $name" "$src/$name" "$typed/$name"
done
e2e_expect_equal "files in the preset destination" "" "$(ls "$preset")"
settings="$run/sorvel.ini"
e2e_expect_grep "halt option saved as clicked" "$settings" "haltOnFirstError: yes"
e2e_expect_grep "typed destination saved" "$settings" "lastDestinyFolder: $typed"
e2e_expect_grep "source saved" "$settings" "lastSourceFile: $src/*"
e2e_finish

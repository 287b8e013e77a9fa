#!/usr/bin/env bash
# Without a display the program says so on standard error and ends at once with exit code 1,
# touching nothing in its folder (no settings file is written).
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup window_no_display_test "${1:-}"

run="$E2E_DIR/run"
mkdir -p "$run"
code=0
(cd "$run" && exec env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 "$SORVEL") \
  >"$E2E_DIR/out" 2>"$E2E_DIR/err" || code=$?
e2e_expect_equal "exit code without a display" 1 "$code"
e2e_expect_grep "message on standard error" "$E2E_DIR/err" "sorvel: cannot open the X display"
e2e_expect_equal "standard output" "" "$(cat "$E2E_DIR/out")"
e2e_expect_equal "files left in the folder" "" "$(ls -A "$run")"

# A display that does not exist is no display either.
code=0
(cd "$run" && DISPLAY=:9999 exec timeout 20 "$SORVEL") >/dev/null 2>"$E2E_DIR/err" || code=$?
e2e_expect_equal "exit code with an unreachable display" 1 "$code"
e2e_expect_grep "message names the display" "$E2E_DIR/err" '":9999"'
e2e_finish

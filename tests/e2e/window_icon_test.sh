#!/usr/bin/env bash
# The real window as docks, task bars and window switchers see it: its icon (_NET_WM_ICON) holds
# the program's icon in the theme's sizes up to 128 pixels, each pixel for pixel the PNG file the
# package installs into the hicolor theme; and its class (WM_CLASS) is the desktop entry's
# StartupWMClass, so that a dock shows the window under its menu entry.
set -u
source "$(dirname "$0")/lib/e2e.sh"
e2e_setup window_icon_test "${1:-}"
for tool in xprop convert identify; do
  command -v "$tool" >/dev/null || e2e_abort "$tool is missing (scripts/install-deps.sh all)"
done
packaging="$(cd "$(dirname "$0")/../../packaging" && pwd)"
e2e_start_xvfb

run="$E2E_DIR/run"
mkdir -p "$run"
e2e_write_settings "$run/sorvel.ini" "saveSettings: no"
e2e_start_program "$run"
e2e_expect_window_icon "$packaging/icons/SIZE/sorvel.png" 16 22 24 32 48 64 128
e2e_expect_window_class "$packaging/org.example.sorvel.desktop"
e2e_close_program 30
e2e_expect_equal "exit code of the program" 0 "$E2E_PROGRAM_EXIT"
e2e_finish

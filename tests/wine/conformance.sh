#!/usr/bin/env bash
# Runs one conformance test program of the Windows build (tests/conformance/NAME.cpp built against
# the real Win32 API) under Wine and Xvfb: the checks our POSIX layer passes must pass on the real
# API too. The program runs in a folder of its own as the Wine user; GoogleTest's output is shown.
#
#   conformance.sh LINUX_SORVEL STATE_DIR WIN32_BUILD WIN64_BUILD NAME
#
# LINUX_SORVEL: the Linux program (its folder holds the e2e tools); STATE_DIR: where the Wine
# prefix is kept; WIN32_BUILD, WIN64_BUILD: the Windows build folders; NAME: e.g.
# kernel32_create_file_test. Exit code 77 means skipped (Wine cannot run anything here).
set -u
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../e2e/lib/e2e.sh"
source "$here/lib/wine.sh"

if [ $# -ne 5 ]; then
  echo "usage: $0 LINUX_SORVEL STATE_DIR WIN32_BUILD WIN64_BUILD NAME" >&2
  exit 2
fi
name="$5"
e2e_setup "wine_conformance_$name" "$1"
wine_setup "$2" "$3" "$4"
program="$(wine_program "conformance_$name.exe")" || exit 1
wine_prepare_prefix
e2e_start_xvfb

chmod 755 "$E2E_DIR"
run="$E2E_DIR/run"
mkdir -p "$run"
wine_own "$run"

# The deadline covers Wine's start (3 to 5 s) and the slowest test program with room to spare.
deadline=600
started=$SECONDS
(cd "$run" && wine_as_user sh -c '"$1" "$2" --gtest_color=no; code=$?; "$3" -w; exit $code' sh \
  "$WINE_LOADER" "$program" "$WINE_SERVER") >"$E2E_DIR/output" 2>&1 &
pid=$!
if e2e_wait_pid "$pid" "$deadline"; then
  code="$E2E_WAIT_CODE"
else
  code=timeout
  wine_stop_server
fi
cat "$E2E_DIR/output"
e2e_log "conformance_$name.exe ($WINE_BITS-bit) ran under Wine in $((SECONDS - started)) s"

case "$code" in
  0) ;;
  timeout) e2e_fail "conformance_$name.exe did not end within $deadline s" ;;
  *) e2e_fail "conformance_$name.exe ended with exit code $code under Wine" ;;
esac
grep -q '^\[  PASSED  \]' "$E2E_DIR/output" ||
  e2e_fail "conformance_$name.exe reported no passed tests"
skipped="$(sed -n 's/^\[  SKIPPED \] \([0-9][0-9]*\) tests\?, listed below:.*/\1/p' \
  "$E2E_DIR/output")"
[ -n "$skipped" ] && e2e_log "$skipped test(s) skipped under Wine (reasons above)"
e2e_finish

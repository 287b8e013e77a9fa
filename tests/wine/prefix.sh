#!/usr/bin/env bash
# Creates a fresh Wine prefix in the Linux build folder for the Wine tests of one test run (CTest
# runs it first as the fixture of those tests): creating a prefix takes 15 to 30 s, a program run
# in an existing one 3 to 5 s. Nothing outside the build folder is used or kept.
#
#   prefix.sh LINUX_SORVEL STATE_DIR WIN32_BUILD WIN64_BUILD
#
# Exit code 77 means skipped (Wine cannot run anything here).
set -u
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../e2e/lib/e2e.sh"
source "$here/lib/wine.sh"

if [ $# -ne 4 ]; then
  echo "usage: $0 LINUX_SORVEL STATE_DIR WIN32_BUILD WIN64_BUILD" >&2
  exit 2
fi
e2e_setup wine_prefix "$1"
wine_setup "$2" "$3" "$4"
wine_prepare_prefix fresh
[ -d "$WINE_PREFIX_DIR/drive_c/windows/system32" ] ||
  e2e_fail "the prefix has no C:\\windows\\system32"
e2e_finish

#!/usr/bin/env bash
# Builds packaging/windows/sorvel.ico, the icon compiled into the Windows program, from the PNG
# sizes of packaging/icons (rendered by scripts/make-icons.sh): 16, 32 and 48 pixels as 32-bit
# bitmaps with their alpha channel, which every Windows reads, and 256 pixels stored as PNG, which
# Windows Vista and later read. The ICO is kept in the repository, so that building the program
# needs no icon tool; run this after the PNGs change. It needs icotool (icoutils).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
icons="$here/../icons"
icotool --create --output="$here/sorvel.ico" \
  "$icons/16/sorvel.png" "$icons/32/sorvel.png" "$icons/48/sorvel.png" \
  --raw="$icons/256/sorvel.png"
icotool --list "$here/sorvel.ico"

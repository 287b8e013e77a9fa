#!/usr/bin/env bash
# Renders the icon packaging/icons/sorvel.svg into the PNG sizes of the hicolor theme,
# packaging/icons/SIZE/sorvel.png, which are kept in the repository. Run it after changing the
# SVG; it needs rsvg-convert (librsvg2-bin, installed by scripts/install-deps.sh all).
set -euo pipefail
icons="$(cd "$(dirname "$0")/../packaging/icons" && pwd)"
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "$icons/$size"
  rsvg-convert -w "$size" -h "$size" "$icons/sorvel.svg" -o "$icons/$size/sorvel.png"
done

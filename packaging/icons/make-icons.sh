#!/usr/bin/env bash
# Renders the program's icon in the hicolor sizes from tolvane.svg (needs
# rsvg-convert from librsvg2-bin). The PNGs are kept in the repository so the
# build needs no SVG renderer.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" tolvane.svg -o "tolvane-$size.png"
done

#!/usr/bin/env bash
# Renders the committed PNG sizes of the application icon from data/icons/wavelet.svg.
# Run after editing the SVG (needs rsvg-convert, package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../data/icons"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" wavelet.svg --output "wavelet-$size.png"
done

#!/usr/bin/env bash
# Renders the application icon's PNG sizes from its SVG. Run after changing the SVG and commit
# the result (needs rsvg-convert: apt-get install librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../resources/icons"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" org.fennmoor.Snapvault.svg \
    -o "org.fennmoor.Snapvault-$size.png"
done

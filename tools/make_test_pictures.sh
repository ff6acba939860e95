#!/usr/bin/env bash
# Makes the test patterns in tests/data that the Windows-side tests decode and measure: BMP,
# JPEG and GIF; landscape, portrait and square; some larger than a 1024x768 screen. Gradients
# with one white shape, so sizes and edges are easy to check. Needs ImageMagick.
# (tests/data also holds two hand-made files: "quadrants 3000x1500.jpg", "two frames.gif".)
set -euo pipefail
out=${1:-$(dirname "$0")/../tests/data}
mkdir -p "$out"
make() {  # make FORMAT:NAME SIZE FROM TO SHAPE (BMP3: 24-bit, as most cameras' BMPs are)
  convert -size "$2" "gradient:$3-$4" -fill white -stroke black -strokewidth 6 \
    -draw "$5" -type TrueColor "${1%%:*}:$out/${1#*:}"
}
make "JPG:01 dawn landscape.jpg" 1600x1000 '#1d3b6e' '#f6a65a' "circle 800,600 800,380"
make "BMP3:02 meadow.bmp" 400x250 '#2e7d32' '#c5e1a5' "rectangle 80,60 320,190"
make "GIF:03 tall tower.gif" 300x500 '#4a148c' '#f8bbd0' "rectangle 110,60 190,460"
make "JPG:04 portrait lake.jpg" 900x1400 '#006064' '#b2ebf2' "ellipse 450,700 300,500 0,360"
make "JPG:05 big square.jpg" 1200x1200 '#b71c1c' '#ffe082' "circle 600,600 600,200"
make "BMP3:06 small square.bmp" 240x240 '#0d47a1' '#90caf9' "circle 120,120 120,40"

#!/usr/bin/env bash
# Makes the sample photos shipped beside the screen saver from Debian's wallpaper packages, so
# anyone can check where each came from; samples/CREDITS.md names their authors and licences.
# Each shows one rule of the show on a 1024x768 screen. Installs the packages when missing.
# Metadata is stripped and the JPEG quality fixed, so the same packages and ImageMagick give
# the same bytes.
set -euo pipefail
out=${1:-$(cd "$(dirname "$0")/.." && pwd)/samples}
from=/usr/share/backgrounds
"$(dirname "$0")/../scripts/install-deps.sh" lomiri-wallpapers-16.04 lomiri-wallpapers-20.04 \
  imagemagick
mkdir -p "$out"
photo() {  # photo FORMAT:NAME SOURCE OPERATION...
  local target=$1 source=$2
  shift 2
  convert "$from/$source" -auto-orient "$@" -strip -quality 85 "${target%%:*}:$out/${target#*:}"
}
# Wider and taller than the screen, same 4:3 shape: shrunk to fill it exactly.
photo "JPG:01 picos de europa.jpg" picosdeeuropa_by_Aitzol_Berasategi.jpg -resize 1600x1200
# Taller than the screen: shrunk to 768 rows, black beside it.
photo "JPG:02 two dogs.jpg" friends_by_Aitzol_Berasategi.jpg -resize x1080
# Square and larger than the screen.
photo "JPG:03 fig.jpg" Picture_0B_by_freespace.jpg -gravity center -crop 1740x1740+0+0 +repage \
  -resize 900x900
# Smaller than the screen: shown at its natural size, centred.
photo "JPG:04 nuthatch.jpg" Kleiber_by_Lukas_Baubkus.jpg -resize 800x450
# A 24-bit BMP (uncompressed, so kept small).
photo "BMP3:05 sunset.bmp" sunset_by_Aitzol_Berasategi.jpg -resize 600x400 -type TrueColor
# A GIF: 256 colours, dithered.
photo "GIF:06 lamp bird.gif" free_by_Peter_Nerlich.jpg -resize 800x600 -dither FloydSteinberg \
  -colors 256
# Wide 16:9: shrunk to the screen's width, bands above and below.
photo "JPG:07 dandelions.jpg" seeding_by_Clements_Engelhardt.jpg -resize 1600x900

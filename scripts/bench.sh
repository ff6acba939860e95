#!/usr/bin/env bash
# Benchmark (not a test) of the show on large photos under Wine. Makes 24 MP and 12 MP JPEGs
# (ImageMagick plasma, kept in build/bench, never committed), then runs one show per folder
# and mode with the real window, timers, banner (in a greeting hour) and loader, and prints
# for each: WIC's bare decode of the first picture, every Timer1 tick's time, the memory held
# just before each tick, the longest gap between two banner moves, and each stage's time per
# picture loaded (decode, shrink, turn, colour). "prepared" is the
# product (the next picture decoded while the show waits), "direct" loads in the tick.
# Usage: scripts/bench.sh [TICKS]   (default 5 ticks per show: about 30 s per show)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cd "$root"
ticks=${1:-5}
source scripts/host.sh
if [[ $QM_ARCH == win32 ]]; then toolchain=mingw-i686; else toolchain=mingw-x86_64; fi
cmake -S . -B "$QM_TREE" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" >/dev/null
cmake --build "$QM_TREE" -j2 --target tick_bench >/dev/null

# Three photos per folder: one plasma, and its mirror images (the same work to decode), tagged
# Adobe RGB (1998) as cameras set to it tag them, so that their colours are converted.
make_folder() {
  local folder=build/bench/$1 size=$2 tag=(-profile /usr/share/color/icc/colord/AdobeRGB1998.icc)
  mkdir -p "$folder"
  [[ -f $folder/1.jpg ]] ||
    convert -size "$size" -seed 7 plasma: "${tag[@]}" -quality 90 "$folder/1.jpg"
  [[ -f $folder/2.jpg ]] || convert "$folder/1.jpg" -flop -quality 90 "$folder/2.jpg"
  [[ -f $folder/3.jpg ]] || convert "$folder/1.jpg" -flip -quality 90 "$folder/3.jpg"
}
echo "Making the photos (once; kept in build/bench)..."
make_folder 24mp-adobe 6000x4000
make_folder 12mp-adobe 4000x3000

source scripts/wine-env.sh
echo "Shows of $ticks ticks on $QM_TREE/tick_bench.exe ($QM_WHY), screen 1024x768:"
for folder in 24mp-adobe 12mp-adobe; do
  for mode in prepared direct; do
    wine "$QM_TREE/tick_bench.exe" "Z:${root//\//\\}\\build\\bench\\$folder\\" "$mode" "$ticks" \
      2>/dev/null
  done
done

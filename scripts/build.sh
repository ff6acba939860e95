#!/usr/bin/env bash
# Builds the three trees: build/native (logic and unit tests), build/win (the shipped 32-bit
# .scr and its Windows-side tests) and build/win64 (its 64-bit twin, the same sources).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native -j"$jobs"
for arch in i686:win x86_64:win64; do
  cmake -S . -B "build/${arch#*:}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-${arch%%:*}.cmake" >/dev/null
  cmake --build "build/${arch#*:}" -j"$jobs"
done

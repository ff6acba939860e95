#!/usr/bin/env bash
# Builds both .scr files again from a copy of the sources in another directory, packs them, and
# compares the two executables and the zip byte for byte with build/win, build/win64 and dist/:
# whoever rebuilds the same sources anywhere gets the download's bytes. Run after package.sh.
# Usage: check_reproducible.sh SOURCE-ROOT
set -euo pipefail
root=$(cd "$1" && pwd)
copy=$root/build/repro-src
start=$SECONDS
# The sources the first build saw, build output aside, with their times: the copy's own build
# trees stay and, like the first build's, rebuild what changed. Inside the root, git still
# finds the commit whose time the zip's entries carry.
mkdir -p "$copy"
find "$copy" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
tar -C "$root" --exclude=./build --exclude=./dist --exclude=./.git -c . | tar -C "$copy" -x
for arch in i686:win x86_64:win64; do
  cmake -S "$copy" -B "$copy/build/${arch#*:}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$copy/cmake/mingw-${arch%%:*}.cmake" >/dev/null
  cmake --build "$copy/build/${arch#*:}" -j2 --target screen_saver >/dev/null
done
"$copy/scripts/package.sh" --built >/dev/null
zip=$(cd "$copy" && echo dist/quillmoor-screen-saver-*.zip)
for file in build/win{,64}/"Quillmoor Screen Saver.scr" "$zip"; do
  cmp "$root/$file" "$copy/$file"
  echo "Reproducible: $file identical from a second build in build/repro-src" \
       "(sha256 $(sha256sum <"$root/$file" | cut -c1-64))"
done
echo "Reproducible: the second build and its comparison took $((SECONDS - start)) s."

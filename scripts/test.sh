#!/usr/bin/env bash
# Builds everything and runs every test: unit tests natively, the Win32 layer's tests and the
# end-to-end tests of the .scr under Xvfb + Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
cd "$root"
ctest --test-dir build/native --output-on-failure
source "$root/scripts/wine-env.sh"
export QM_SHOTS="$root/build/shots"
mkdir -p "$QM_SHOTS"
ctest --test-dir build/win --output-on-failure

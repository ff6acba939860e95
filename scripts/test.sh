#!/usr/bin/env bash
# Builds everything and runs every test: unit tests natively, static checks of both Windows
# executables and of the zip that scripts/package.sh makes, then the Win32 layer's tests and
# the end-to-end tests of the .scr under Xvfb + Wine, on the 32-bit file where this host runs
# i386 programs and on its 64-bit twin where it does not (QM_TWIN=1 asks for the twin anywhere).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
cd "$root"
source "$root/scripts/host.sh"
# Formatting is the tool's job: any C++ source that clang-format would change fails the run.
find app banner settings show sound toolkit tests tools \( -name '*.cpp' -o -name '*.h' \) \
  -print0 | xargs -0 clang-format --dry-run -Werror
echo "Formatting: every C++ source is as clang-format leaves it."
ctest --test-dir build/native --output-on-failure
ctest --test-dir build/win --output-on-failure -L static
ctest --test-dir build/win64 --output-on-failure -L static
# The download for Windows users: exactly its files, matching sums, stripped executables.
"$root/scripts/package.sh"
python3 "$root/tests/e2e/check_package.py" "$root"
# Whoever builds these sources in another directory gets the download's very bytes.
"$root/tests/e2e/check_reproducible.sh" "$root"
if [[ $QM_ARCH == win32 ]]; then kind="the shipped 32-bit file"; else kind="its 64-bit twin"; fi
echo "Windows-side and end-to-end tests run on $QM_TREE/Quillmoor Screen Saver.scr" \
     "($kind): $QM_WHY."
source "$root/scripts/wine-env.sh"
export QM_SHOTS="$root/build/shots"
mkdir -p "$QM_SHOTS"
ctest --test-dir "$QM_TREE" --output-on-failure -L wine

#!/usr/bin/env bash
# Builds everything and runs every test: unit tests natively, under sanitizers and at 32 bits,
# static checks of both Windows executables and of the zip that scripts/package.sh makes, then
# the Win32 layer's tests and the end-to-end tests of the .scr under Xvfb + Wine, on the 32-bit
# file where this host runs i386 programs and on its 64-bit twin where it does not (QM_TWIN=1
# asks for the twin anywhere).
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
# The unit tests again, each in a tree of its own: under AddressSanitizer and UndefinedBehavior-
# Sanitizer (any report fails), the preparing loader's under ThreadSanitizer, and all built for
# 32-bit x86 Linux (the shipped word size), natively where this host runs i386 programs, else
# under qemu.
unit_build() { # TREE TARGET CONFIGURE-ARGUMENTS...
  cmake -S . -B "build/$1" "${@:3}" >/dev/null
  cmake --build "build/$1" -j2 --target "$2"
}
unit_run() { # TITLE COMMAND...: runs the tests, prints their count after the title
  local out
  out=$("${@:2}" --gtest_brief=1 2>&1) || { echo "$out"; exit 1; }
  echo "$1: $(grep -o '^\[  PASSED  \] [0-9]*' <<<"$out" | grep -o '[0-9]*$') passed"
}
san='-O1 -fno-sanitize-recover=all -fsanitize'
unit_build asan unit_tests -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="$san=address,undefined"
unit_run "Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer" build/asan/unit_tests
unit_build tsan loader_tests -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="$san=thread"
unit_run "Preparing loader's tests under ThreadSanitizer" build/tsan/loader_tests
if qm_host_runs_i386; then emu=() how=natively; else emu=(qemu-i386) how="under qemu-i386"; fi
unit_build native32 unit_tests -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CROSSCOMPILING_EMULATOR="${emu[*]}" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/linux-i686.cmake"
unit_run "32-bit unit tests ($how)" "${emu[@]}" build/native32/unit_tests
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

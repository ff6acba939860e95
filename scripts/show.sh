#!/usr/bin/env bash
# Builds the screen saver and starts the show on the sample pictures beside it. In an X session
# it runs on your display until you press a key or move the mouse; without one it runs under
# Xvfb for a while and saves a screenshot to build/show.png.
# With a switch (show.sh /c, show.sh /s) it runs the .scr with that switch and keeps the
# settings stored in the build's Wine prefix, so the show uses what the dialog stored.
# On a host that runs no i386 programs it runs the 64-bit twin of the .scr instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
source "$root/scripts/host.sh"
if [[ $QM_ARCH == win64 ]]; then echo "Running the 64-bit twin ($QM_TREE): $QM_WHY."; fi
if [[ -n ${DISPLAY:-} ]] && xdotool getdisplaygeometry >/dev/null 2>&1; then
  export USE_DISPLAY=1
fi
source "$root/scripts/wine-env.sh"
cd "$root/$QM_TREE"
switch=(/s)
if [[ $# -gt 0 ]]; then
  switch=("$@")
else
  # No stored folder: the show's default, the samples beside the .scr.
  wine reg delete 'HKCU\Software\Quillmoor Screen Saver' /f >/dev/null 2>&1 || true
fi
if [[ -n ${USE_DISPLAY:-} ]]; then
  wine "Quillmoor Screen Saver.scr" "${switch[@]}"
else
  seconds=${SHOW_SECONDS:-12}
  wine "Quillmoor Screen Saver.scr" "${switch[@]}" &
  pid=$!
  sleep "$seconds"
  import -window root "$root/build/show.png"
  kill "$pid" 2>/dev/null || true
  echo "No display: ${switch[*]} ran under Xvfb for $seconds s; screenshot in build/show.png"
fi

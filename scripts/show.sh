#!/usr/bin/env bash
# Builds the screen saver and starts the show on the sample pictures beside it. In an X session
# it runs on your display until you press a key or move the mouse; without one it runs under
# Xvfb for a while and saves a screenshot to build/show.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
if [[ -n ${DISPLAY:-} ]] && xdotool getdisplaygeometry >/dev/null 2>&1; then
  export USE_DISPLAY=1
fi
source "$root/scripts/wine-env.sh"
cd "$root/build/win"
if [[ -n ${USE_DISPLAY:-} ]]; then
  wine "Quillmoor Screen Saver.scr" /s
else
  seconds=${SHOW_SECONDS:-12}
  wine "Quillmoor Screen Saver.scr" /s &
  pid=$!
  sleep "$seconds"
  import -window root "$root/build/show.png"
  kill "$pid" 2>/dev/null || true
  echo "No display: the show ran under Xvfb for $seconds s; screenshot in build/show.png"
fi

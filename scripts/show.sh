#!/usr/bin/env bash
# Builds the screen saver and starts the show on the sample photos beside it. In an X session
# it runs on your display until you press a key or move the mouse; without one it runs under
# Xvfb for a while and saves a screenshot to build/show.png.
#   --hour H     the show's local clock reads hour H (0-23): --hour 17 shows the greeting
#   --seconds N  without a display, how long it runs before the screenshot (default 12)
# With a switch (show.sh /c, show.sh /s) it runs the .scr with that switch and keeps the
# settings stored in the build's Wine prefix, so the show uses what the dialog stored.
# On a host that runs no i386 programs it runs the 64-bit twin of the .scr instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
usage() { echo "usage: scripts/show.sh [--hour H] [--seconds N] [SWITCH...]" >&2; exit 2; }
hour="" seconds=12
while [[ $# -gt 0 ]]; do
  case $1 in
    --hour) [[ $# -ge 2 && $2 =~ ^[0-9]{1,2}$ ]] && ((10#$2 < 24)) || usage; hour=$((10#$2)); shift 2 ;;
    --seconds) [[ $# -ge 2 && $2 =~ ^[0-9]+$ ]] || usage; seconds=$2; shift 2 ;;
    -h|--help) usage ;;
    *) break ;;
  esac
done
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
source "$root/scripts/host.sh"
if [[ $QM_ARCH == win64 ]]; then echo "Running the 64-bit twin ($QM_TREE): $QM_WHY."; fi
if [[ -n ${DISPLAY:-} ]] && xdotool getdisplaygeometry >/dev/null 2>&1; then
  export USE_DISPLAY=1
fi
if [[ -n $hour ]]; then
  # Wine takes zone names, not POSIX TZ strings: the whole-hour Etc zone whose local time now
  # has that hour, as the end-to-end tests choose it.
  export TZ
  TZ=$(python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import saver
print(saver.zone_for_hour(int(sys.argv[2])))' "$root/tests/e2e" "$hour")
  echo "Local clock at $hour o'clock ($TZ)."
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
  wine "Quillmoor Screen Saver.scr" "${switch[@]}" &
  pid=$!
  sleep "$seconds"
  import -window root "$root/build/show.png"
  kill "$pid" 2>/dev/null || true
  echo "No display: ${switch[*]} ran under Xvfb for $seconds s; screenshot in $root/build/show.png"
fi

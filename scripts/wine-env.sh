# Sourced after host.sh: starts a private Xvfb (1024x768, white root) unless USE_DISPLAY is
# set, and prepares a private Wine prefix of the kind QM_ARCH names (build/wineprefix for
# win32, build/wineprefix64 for win64, or QM_WINEPREFIX when the caller names one).
# Everything it starts is stopped on exit.
root=${root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEARCH=$QM_ARCH WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [[ $QM_ARCH == win64 ]]; then
  export WINEPREFIX=${QM_WINEPREFIX:-$root/build/wineprefix64}
  # Debian's wine launcher prefers the 32-bit loader whenever it is installed; the twin's
  # prefix wants the 64-bit one, so a "wine" of our own comes first on PATH.
  mkdir -p "$root/build/wine64-bin"
  printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$root/build/wine64-bin/wine"
  chmod +x "$root/build/wine64-bin/wine"
  export PATH="$root/build/wine64-bin:$PATH" WINELOADER=/usr/lib/wine/wine64
else
  export WINEPREFIX=${QM_WINEPREFIX:-$root/build/wineprefix}
fi
qm_xvfb_pid=""
qm_cleanup() {
  wineserver -k 2>/dev/null || true
  [[ -n $qm_xvfb_pid ]] && kill "$qm_xvfb_pid" 2>/dev/null || true
}
trap qm_cleanup EXIT
if [[ -z ${USE_DISPLAY:-} ]]; then
  for n in $(seq 90 130); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -wr -nolisten tcp >/dev/null 2>&1 &
    qm_xvfb_pid=$!
    export DISPLAY=":$n"
    break
  done
  for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X${DISPLAY#:} ]] && break; sleep 0.1; done
fi
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  echo "Preparing the $QM_ARCH Wine prefix (once, about twenty seconds)..."
  wine wineboot -i >/dev/null 2>&1
  wineserver -w
fi

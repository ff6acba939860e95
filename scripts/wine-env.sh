# Sourced: starts a private Xvfb (1024x768, white root) unless USE_DISPLAY is set, and prepares a
# private 32-bit Wine prefix in build/wineprefix. Everything it starts is stopped on exit.
root=${root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEARCH=win32 WINEDEBUG=-all WINEPREFIX="$root/build/wineprefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
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
  echo "Preparing the Wine prefix (once, about twenty seconds)..."
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi

# Sourced: decides which Windows executable the Windows-side and end-to-end tests run on.
# Sets QM_ARCH (win32 or win64), QM_TREE (build/win or build/win64) and QM_WHY (one line).
# Some hosts run 64-bit user code only: every i386 program fails there with "Exec format
# error", so no Wine can run the 32-bit .scr and the tests run on its 64-bit twin instead.

# True when this host runs i386 programs: runs a 96-byte static i386 ELF that only calls exit(0).
qm_host_runs_i386() {
  local probe
  probe=$(mktemp)
  printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' >"$probe"
  printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$probe"
  printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000' >>"$probe"
  printf '\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010' >>"$probe"
  printf '\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000' >>"$probe"
  printf '\270\001\000\000\000\273\000\000\000\000\315\200' >>"$probe"
  chmod +x "$probe"
  local status=0
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  return "$status"
}

if [[ -n ${QM_TWIN:-} && ${QM_TWIN} != 0 ]]; then
  QM_ARCH=win64 QM_WHY="QM_TWIN=$QM_TWIN asks for the twin"
elif qm_host_runs_i386; then
  QM_ARCH=win32 QM_WHY="this host runs i386 programs"
else
  QM_ARCH=win64 QM_WHY="this host runs no i386 programs (a 32-bit probe could not execute)"
fi
if [[ $QM_ARCH == win32 ]]; then QM_TREE=build/win; else QM_TREE=build/win64; fi
export QM_ARCH QM_TREE QM_WHY

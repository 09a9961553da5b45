# Sourced by the scripts that start processes in the background: each one started goes into `pids`,
# and when the script ends, however it ends, they are stopped and waited for and the work folder
# `work` (set before sourcing) is removed.
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

#!/usr/bin/env bash
# Runs the Wine tests against a Windows build (default: build/win32 of this repo, or build/win64
# on a machine that cannot run 32-bit programs).
#   bash tests/wine/run.sh [BUILD_DIR] [TEST_NAME...]
# Boots one Wine prefix and runs every test in its own copy of that prefix, VTR_WINE_JOBS tests
# (default 2) side by side, each job with an Xvfb of its own.
# Ends with "wine: N passed, N failed"; non-zero when a test failed.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
source "$here/lib.sh"
build="$(cd "${1:-$repo/build/$(vtr_wine_preset)}" && pwd)"
shift || true
work="$build/wine-tests"

xvfb_pids=()
cleanup() {
  vtr_stop_wine_under "$work"
  local pid
  for pid in "${xvfb_pids[@]}"; do
    VTR_XVFB_PID="$pid" vtr_stop_xvfb
  done
}
trap cleanup EXIT
trap 'exit 130' INT TERM

rm -rf "$work"
mkdir -p "$work"
displays=()
for ((job = 0; job < ${VTR_WINE_JOBS:-2}; job++)); do
  vtr_start_xvfb
  xvfb_pids+=("$VTR_XVFB_PID")
  displays+=("$DISPLAY")
done
echo "wine tests: Xvfb on $(IFS=,; echo "${displays[*]}"), booting the base prefix"
vtr_boot_prefix "$work/base"

python3 "$here/run_tests.py" --build "$build" --work "$work" --base "$work/base" \
  --displays "$(IFS=,; echo "${displays[*]}")" "$@"

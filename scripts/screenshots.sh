#!/usr/bin/env bash
# Takes the pictures in docs/screenshots from the real wizard under Wine: every panel a road
# through the wizard shows, and the main message boxes, each cropped to its window. Builds the
# win32 preset (win64 where 32-bit programs cannot run), starts its own virtual display
# (whatever $DISPLAY is, so every picture has the same screen behind it), boots a fresh Wine
# prefix and plays the user with vtrdrive.
#   bash scripts/screenshots.sh [OUT_DIR]      (default docs/screenshots)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo="$(pwd)"
out="$(realpath -m "${1:-docs/screenshots}")"
work="$repo/build/screenshots"

bash scripts/setup.sh
source tests/wine/lib.sh
preset="$(vtr_wine_preset)"
echo "screenshots: building SetupVTR.exe, the packages and the driver ($preset preset)"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" >/dev/null
# The Lite edition's SetupVTR.exe, for the picture of its configuration panel: the edition is
# fixed when the program is built.
lite="build/$preset-lite"
echo "screenshots: building the Lite edition's SetupVTR.exe"
cmake --preset "$preset" -B "$lite" -DVTR_EDITION_ID=VTRLITE_3 >/dev/null
cmake --build "$lite" --target SetupVTR >/dev/null
cleanup() {
  vtr_stop_wine_under "$work"
  vtr_stop_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT TERM

rm -rf "$work"
mkdir -p "$work" "$out"
vtr_start_xvfb
echo "screenshots: Xvfb on $DISPLAY, booting a fresh Wine prefix"
vtr_boot_prefix "$work/base"
python3 tests/wine/take_screenshots.py --build "build/$preset" --work "$work" --base "$work/base" \
  --out "$out" --lite "$lite/SetupVTR.exe"
echo "screenshots: saved in $out"

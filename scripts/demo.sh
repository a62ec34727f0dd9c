#!/usr/bin/env bash
# The demo: builds SetupVTR.exe and the demo packages, lays them out in a folder as they ship
# (build/demo/Vantora Setup), makes a fresh Windows (a new Wine prefix) and starts
# "SetupVTR.exe DEBUG" there, so its start-up boxes show what it found.
#
# With a display ($DISPLAY set) you answer the boxes yourself. Without one, the demo starts a
# virtual display, answers every box as a user would, prints each box's title and text, and
# saves a screenshot of each under build/demo/screenshots.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo="$(pwd)"
demo="$repo/build/demo"
ship="$demo/Vantora Setup"
prefix="$demo/prefix"
shots="$demo/screenshots"

bash scripts/setup.sh
echo "demo: building SetupVTR.exe and the packages (win32 preset)"
cmake --preset win32 >/dev/null
cmake --build --preset win32

source tests/wine/lib.sh
cleanup() {
  if [[ -d "$prefix" ]]; then
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  fi
  vtr_stop_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Stop whatever an earlier demo left running in its prefix before starting afresh.
cleanup
rm -rf "$demo"
mkdir -p "$ship" "$shots"
cp build/win32/SetupVTR.exe "$ship/"
cp build/win32/packages/*.msi "$ship/"
echo "demo: shipped folder $ship:"
ls -1 "$ship" | sed 's/^/  /'

# Windows paths of the files above, through Wine's Z: drive (the Linux root).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

interactive=1
if [[ -z "${DISPLAY:-}" ]]; then
  interactive=0
  vtr_start_xvfb
fi
echo "demo: making a fresh Windows in $prefix"
vtr_boot_prefix "$prefix"
export WINEPREFIX="$prefix"

if ((interactive)); then
  echo "demo: starting SetupVTR.exe DEBUG on $DISPLAY; answer its boxes to go on"
  (cd "$ship" && wine SetupVTR.exe DEBUG)
  echo "demo: SetupVTR.exe has ended"
  exit 0
fi

# No display: vtrdrive plays the user. It answers the detection box with OK, asks to see the
# special folders and closes their listing; then it closes the wizard.
echo "demo: no display, so SetupVTR.exe runs on the virtual display $DISPLAY and is answered"
echo "      automatically"
transcript="$demo/transcript.jsonl"
wine build/win32/tests/wine/vtrdrive.exe run --timeout 120 \
  --answer OK --answer Yes --answer OK --close-windows \
  --screenshot-dir "$(winpath "$shots")" \
  -- "$(winpath "$ship/SetupVTR.exe")" DEBUG >"$transcript" </dev/null || true

python3 - "$transcript" "$shots" <<'EOF'
import json
import subprocess
import sys
from pathlib import Path

transcript, shots = Path(sys.argv[1]), Path(sys.argv[2])
exit_line = None
for raw in transcript.read_text(encoding="utf-8").splitlines():
    if not raw.startswith("{"):
        continue
    line = json.loads(raw)
    picture = None
    if "screenshot" in line:
        bmp = shots / line["screenshot"].rsplit("\\", 1)[-1]
        picture = bmp.with_suffix(".png")
        subprocess.run(["convert", str(bmp), str(picture)], check=False)
        if picture.exists():
            bmp.unlink()
    if "box" in line:
        text = line.get("text", line.get("prompt", ""))
        text = text.replace("\r\n", "\n").replace("\r", "\n")
        print(f"\n--- {line['box']} box \"{line['title']}\" ---")
        print(text.rstrip("\n"))
        print(f"[buttons: {', '.join(line['buttons'])}; pressed: {line['answer']}]")
    elif "window" in line:
        print(f"\n--- window \"{line['window']}\" ---")
    elif "close" in line:
        print(f"[closed \"{line['close']}\" with its close box]")
    elif "exit" in line:
        exit_line = line["exit"]
    elif "error" in line:
        print(f"\ndemo: the run did not finish: {line['error']}")
    if picture is not None and picture.exists():
        print(f"[screenshot: {picture}]")
if exit_line is not None:
    print(f"\nSetupVTR.exe ended with exit code {exit_line}")
EOF
echo "demo: screenshots are in $shots"

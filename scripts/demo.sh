#!/usr/bin/env bash
# The demo: builds SetupVTR.exe and the demo packages, lays them out in a folder as they ship
# (build/demo/Vantora Setup), makes a fresh Windows (a new Wine prefix) and starts SetupVTR.exe
# there, as a user would start it from the shipped folder.
#
# With a display ($DISPLAY set and answering) you click through the wizard yourself; Finish on
# the last page, with "Launch Vantora Contact Management" ticked, starts the installed program.
# Without one, the demo starts a virtual display and vtrdrive walks the wizard through a Single
# User install, saving a picture of every panel under build/demo/screenshots; Finish launches
# the installed program. Either way it then prints what was installed where and what the
# settings store holds.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo="$(pwd)"
demo="$repo/build/demo"
ship="$demo/Vantora Setup"
prefix="$demo/prefix"
shots="$demo/screenshots"
settings='HKCU\Software\VB and VBA Program Settings\VTRPRO_3\StartUp'

bash scripts/setup.sh
source tests/wine/lib.sh
preset="$(vtr_wine_preset)"
echo "demo: building SetupVTR.exe and the packages ($preset preset)"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" >/dev/null
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
cp "build/$preset"/SetupVTR.exe "$ship/"
cp "build/$preset"/packages/*.msi "$ship/"
echo "demo: the shipped folder, $ship:"
ls -1 "$ship" | sed 's/^/  /'

# Windows paths of the files above, through Wine's Z: drive (the Linux root).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

interactive=0
if [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; then
  interactive=1
else
  vtr_start_xvfb
fi
echo "demo: making a fresh Windows in $prefix"
vtr_boot_prefix "$prefix"
export WINEPREFIX="$prefix"
# A machine set up for the product has its serial control and Outlook e-mail interface in the
# 32-bit system folder, where setup registers them; the demo puts stand-ins there.
for component in mscomm32.ocx vtremail.dll; do
  cp "build/$preset/packaging/vtr_component.dll" "$prefix/drive_c/windows/syswow64/$component"
done
# The demo vtr3.exe notes here that it was started, so the demo can say so.
launched="$demo/launched.jsonl"
export VTR_DEMO_RECORD="$(winpath "$launched")"

# What a Single User install leaves behind: the files under the program and data folders and
# the settings the installed program reads.
report() {
  local folder
  for folder in "Program Files (x86)/Vantora Contact Management" "ProgramData/Vantora Data"; do
    echo
    echo "demo: files in C:\\${folder//\//\\}"
    if [[ -d "$prefix/drive_c/$folder" ]]; then
      (cd "$prefix/drive_c/$folder" && find . -type f | sed 's|^\./|  |' | sort)
    else
      echo "  (none: the folder does not exist)"
    fi
  done
  echo
  echo "demo: the settings store, $settings:"
  local stored
  if stored="$(wine reg query "$settings" 2>/dev/null)"; then
    tr -d '\r' <<<"$stored" | sed -e '/^$/d' -e 's/^/  /'
  else
    echo "  (nothing stored)"
  fi
}

if ((interactive)); then
  echo "demo: starting SetupVTR.exe on $DISPLAY; click through the wizard"
  status=0
  (cd "$ship" && wine SetupVTR.exe) || status=$?
  # wine hands back only the low 8 bits of the exit code.
  echo "demo: SetupVTR.exe has ended (exit status $status)"
  report
  exit 0
fi

# No display: vtrdrive plays the user on the virtual display, clicking the wizard's controls by
# their IDs (docs/controls.md): Single User Install, Finish on the configuration panel, and
# Finish on the completion panel with the launch box ticked.
echo "demo: no display, so SetupVTR.exe runs on the virtual display $DISPLAY and vtrdrive"
echo "      clicks through a Single User install"
transcript="$demo/transcript.jsonl"
shot() { printf -- '--screenshot\n%s\n' "$(winpath "$shots/$1.bmp")"; }
# After each panel shows, its frame (2000 + the panel number) is read for its caption.
mapfile -t steps < <(
  printf -- '--expect-panel\n0\n--read\n2000\n'
  shot 1-panel-0-installation-options
  printf -- '--click\n2100\n--expect-panel\n2\n--read\n2002\n'
  shot 2-panel-2-configuration-options
  printf -- '--click\n3400\n--expect-panel\n5\n--read\n2005\n--read\n2210\n'
  shot 3-panel-5-installation-completed
  printf -- '--click\n3400\n'
)
wine "build/$preset"/tests/wine/vtrdrive.exe run --timeout 300 "${steps[@]}" \
  --screenshot-dir "$(winpath "$shots")" --window-shots \
  -- "$(winpath "$ship/SetupVTR.exe")" >"$transcript" </dev/null || true

walk_failed=0
python3 - "$transcript" "$shots" <<'PYTHON' || walk_failed=1
import json
import subprocess
import sys
from pathlib import Path

transcript, shots = Path(sys.argv[1]), Path(sys.argv[2])


def png(windows_path):
    bmp = shots / windows_path.rsplit("\\", 1)[-1]
    picture = bmp.with_suffix(".png")
    subprocess.run(["convert", str(bmp), str(picture)], check=False)
    if picture.exists():
        bmp.unlink()
        return picture
    return None


exit_code = None
for raw in transcript.read_text(encoding="utf-8").splitlines():
    if not raw.startswith("{"):
        continue
    line = json.loads(raw)
    if "step" in line:
        panel = line["wizard"].get("panel")
        if line["step"] == "click":
            caption = line["text"].replace("&", "")
            print(f"  on panel {panel}: click \"{caption}\" (control {line['id']})")
        elif line["step"] == "read" and line["id"] == 2000 + panel:
            caption = line["control"]["text"].strip()
            print(f"  panel {panel}, \"{caption}\", of \"{line['wizard']['title']}\"")
        elif line["step"] == "read":
            text = line["control"]["text"].replace("\r", " ").strip()
            print(f"    it reads: \"{text}\"")
        elif line["step"] == "screenshot":
            picture = png(line["file"])
            print(f"    picture: {picture}")
    elif "box" in line:
        text = line.get("text", line.get("prompt", "")).replace("\r\n", "\n").replace("\r", "\n")
        print(f"  box \"{line['title']}\": {text.strip()}")
        print(f"    [buttons: {', '.join(line['buttons'])}; pressed: {line['answer']}]")
        if "screenshot" in line:
            png(line["screenshot"])
    elif "window" in line and "screenshot" in line:
        png(line["screenshot"])
    elif "exit" in line:
        exit_code = line["exit"]
    elif "error" in line:
        print(f"demo: the walk through the wizard did not finish: {line['error']}")
if exit_code is not None:
    print(f"demo: SetupVTR.exe ended with exit code {exit_code}")
sys.exit(0 if exit_code == 0 else 1)
PYTHON

# Finish started the installed program through the shell, which does not wait for it.
for ((i = 0; i < 100; i++)); do
  [[ -s "$launched" ]] && break
  sleep 0.2
done
if [[ -s "$launched" ]]; then
  sleep 1  # its window is painted
  # The whole virtual screen, trimmed to the program's window.
  import -window root -trim +repage "$shots/4-launched-program.png"
  echo "demo: Finish launched the installed program:"
  python3 -c 'import json,sys; [print("  " + json.loads(l)["program"]) for l in open(sys.argv[1])]' \
    "$launched"
  echo "    picture: $shots/4-launched-program.png"
else
  echo "demo: the installed program was not launched"
  walk_failed=1
fi
report
echo
echo "demo: pictures are in $shots"
if ((walk_failed)); then
  echo "demo: FAILED: the install did not end as it should (see above)"
  exit 1
fi

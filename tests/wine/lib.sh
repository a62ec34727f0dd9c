# Shell helpers shared by the Wine test runner and the demo: one Xvfb on a free display,
# quiet, prompt-free Wine prefixes, and a "wine" that runs on this machine. Source it; each
# function says what it sets.

# Wine without the Mono and Gecko install prompts, and without its debug chatter.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all

# Whether this machine can run Wine's 32-bit loader. A kernel built without 32-bit support
# refuses it ("Exec format error"); Wine then runs 64-bit programs only.
vtr_can_run_32bit() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The Windows build that Wine runs here: the shipped i686 one, or the x86_64 one on a machine
# that cannot run 32-bit programs. Says so when it is the latter.
vtr_wine_preset() {
  if vtr_can_run_32bit; then
    echo win32
  else
    echo "wine: this machine cannot run 32-bit programs, so Wine runs the x86_64 build" >&2
    echo win64
  fi
}

# Debian's "wine" starts the 32-bit loader whenever it is installed, even where it cannot run:
# on such a machine, "wine" (and the programs such as wineboot that call it) start the 64-bit
# loader instead, through a folder put first in PATH.
vtr_use_runnable_wine() {
  if vtr_can_run_32bit; then
    return 0
  fi
  local shim="${TMPDIR:-/tmp}/vtr-wine64-$(id -u)"
  mkdir -p "$shim"
  local name
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' \
      >"$shim/$name"
    chmod +x "$shim/$name"
  done
  export PATH="$shim:$PATH"
}
vtr_use_runnable_wine

# Starts Xvfb on a display number it picks itself (so two runs never collide) and exports
# DISPLAY; VTR_XVFB_PID is the server's process id, for vtr_stop_xvfb.
vtr_start_xvfb() {
  local numberFile
  numberFile="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
  VTR_XVFB_PID=$!
  local i
  for ((i = 0; i < 100; i++)); do
    [[ -s "$numberFile" ]] && break
    if ! kill -0 "$VTR_XVFB_PID" 2>/dev/null; then
      break
    fi
    sleep 0.1
  done
  local number
  number="$(head -n 1 "$numberFile" 2>/dev/null || true)"
  rm -f "$numberFile"
  if [[ -z "$number" ]]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$number"
  for ((i = 0; i < 50; i++)); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb on $DISPLAY does not answer" >&2
  return 1
}

vtr_stop_xvfb() {
  if [[ -n "${VTR_XVFB_PID:-}" ]]; then
    kill "$VTR_XVFB_PID" 2>/dev/null || true
    wait "$VTR_XVFB_PID" 2>/dev/null || true
    VTR_XVFB_PID=
  fi
}

# Makes a new Wine prefix in the given folder and waits until Wine has finished setting it up.
# Its programs run inside one virtual desktop window: Wine then draws title bars (so screenshots
# show each box's title), and closing a window does not wait a second for a window manager
# that Xvfb does not have. Wine's own configuration is written in the 64-bit registry view,
# where Wine's 64-bit programs read it ("wine reg" is the 32-bit reg.exe on a machine that runs
# 32-bit programs; HKCU\Software is one key in both views, but the view is said all the same).
vtr_boot_prefix() {
  WINEPREFIX="$1" wineboot -i >/dev/null 2>&1
  WINEPREFIX="$1" wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f /reg:64 \
    >/dev/null 2>&1
  WINEPREFIX="$1" wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
    /d 1024x768 /f /reg:64 >/dev/null 2>&1
  # Wine draws the title bar's minimise, maximise and close buttons with its own Marlett font,
  # and it takes its own fonts only from the prefix's Fonts folder, which this Wine's wineboot
  # leaves empty: the buttons then show the letters "0 1 r". So its fonts are put there.
  cp -n /usr/share/wine/fonts/* "$1/drive_c/windows/Fonts/" 2>/dev/null || true
  # Where 32-bit programs cannot run, Wine leaves the 32-bit system folder empty; the setup
  # program still starts Windows' programs from there, so their 64-bit forms are put there.
  if ! vtr_can_run_32bit; then
    cp "$1/drive_c/windows/system32/"{msiexec.exe,regsvr32.exe} "$1/drive_c/windows/syswow64/"
  fi
  WINEPREFIX="$1" wineserver -k
  WINEPREFIX="$1" wineserver -w
}

# Ends every Wine process of every prefix found under the given folder.
vtr_stop_wine_under() {
  local prefix
  for prefix in "$1"/*/ "$1"/*/*/; do
    if [[ -f "$prefix/system.reg" ]]; then
      WINEPREFIX="${prefix%/}" wineserver -k 2>/dev/null || true
    fi
  done
}

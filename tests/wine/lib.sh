# Shell helpers shared by the Wine test runner and the demo: one Xvfb on a free display and
# quiet, prompt-free Wine prefixes. Source it; each function says what it sets.

# Wine without the Mono and Gecko install prompts, and without its debug chatter.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all

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
# that Xvfb does not have.
vtr_boot_prefix() {
  WINEPREFIX="$1" wineboot -i >/dev/null 2>&1
  WINEPREFIX="$1" wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f \
    >/dev/null 2>&1
  WINEPREFIX="$1" wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
    /d 1024x768 /f >/dev/null 2>&1
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

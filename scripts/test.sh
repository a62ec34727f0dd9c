#!/usr/bin/env bash
# Runs every test: installs the tools when missing, checks the include floors, the sizes and
# opening lines of the sources and the wizard's access keys, builds the presets, runs the
# native unit and scenario tests (sanitized), a sample of the fault sweep, each fuzz target for
# a while, checks what SetupVTR.exe imports, makes and checks the test-signed release media,
# and runs the Wine tests. Ends with one line "N passed, N failed"; the exit status is non-zero
# when anything failed. Full logs are kept in build/test-logs.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo="$(pwd)"
logs="$repo/build/test-logs"

passed=0
failed=0
failures=()

pass() { passed=$((passed + $1)); }
fail() {
  failed=$((failed + $1))
  failures+=("$2")
}

# Shows the end of a log after a failure, so a CI page says what went wrong.
show_log_tail() {
  echo "---- last lines of $1 ----"
  tail -n 60 "$1"
  echo "----"
}

if ! bash scripts/setup.sh; then
  echo "set-up failed: the tools could not be installed"
  echo "0 passed, 1 failed"
  exit 1
fi
mkdir -p "$logs"

# --- Floors: no file includes a folder above its own (docs/layout.md) ---
echo "== floors"
if python3 scripts/check_floors.py src; then
  pass 1
else
  fail 1 "floors"
fi

# --- Rooms: no file under src/ over 400 lines, each opening with what it is for ---
echo "== sizes"
if python3 scripts/check_sizes.py src; then
  pass 1
else
  fail 1 "sizes"
fi

# --- Access keys: no two controls of one panel of the wizard (or of its button row) share one ---
echo "== access keys"
if python3 scripts/check_access_keys.py src; then
  pass 1
else
  fail 1 "access keys"
fi

# --- Builds ---
# The fuzz preset (clang) builds only its targets here, which hold all of the core and the
# simulator; `cmake --build --preset fuzz` builds the unit tests with clang too.
declare -A built
declare -A targets=([fuzz]="--target fuzz_command_line fuzz_paths fuzz_scenario")
for preset in native fuzz win32 win64; do
  log="$logs/build-$preset.log"
  echo "== build $preset"
  # shellcheck disable=SC2086  # the targets are separate words
  if cmake --preset "$preset" >"$log" 2>&1 &&
    cmake --build --preset "$preset" ${targets[$preset]:-} >>"$log" 2>&1; then
    built[$preset]=1
    pass 1
  else
    built[$preset]=0
    fail 1 "build $preset"
    show_log_tail "$log"
  fi
done

# --- Native unit and scenario tests ---
if [[ "${built[native]}" == 1 ]]; then
  echo "== native tests"
  log="$logs/ctest-native.log"
  ctest --preset native --no-tests=error -j 2 >"$log" 2>&1
  status=$?
  summary="$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)"
  echo "${summary:-ctest printed no summary}"
  if [[ "$summary" =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
    nfailed="${BASH_REMATCH[1]}"
    ntotal="${BASH_REMATCH[2]}"
    pass $((ntotal - nfailed))
    if ((nfailed > 0)); then
      fail "$nfailed" "native tests"
    fi
  else
    fail 1 "native tests (no result)"
  fi
  if ((status != 0)); then
    if [[ "$summary" =~ \ 0\ tests\ failed ]]; then
      fail 1 "native tests (ctest status $status)"
    fi
    show_log_tail "$log"
  fi
else
  fail 1 "native tests (not built)"
fi

# --- The fault sweep (a sample of about a minute) and the fuzz targets (30 s, side by side) ---
if [[ "${built[native]}" == 1 ]]; then
  echo "== fault sweep (sample)"
  log="$logs/sweep.log"
  if python3 tests/sweep/sweep.py --budget 60 --seed 1 >"$log" 2>&1; then
    pass 1
  else
    fail 1 "fault sweep"
  fi
  grep '^sweep:\|^ ' "$log"
else
  fail 1 "fault sweep (native not built)"
fi
if [[ "${built[fuzz]}" == 1 ]]; then
  echo "== fuzz targets"
  log="$logs/fuzz.log"
  bash tests/fuzz/run.sh --time 30 --parallel 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  pass "$(grep -c '^PASS' "$log")"
  nfailed="$(grep -c '^FAIL' "$log")"
  if ((nfailed > 0)); then
    fail "$nfailed" "fuzz targets"
  elif ((status != 0)); then
    fail 1 "fuzz targets (no result)"
  fi
else
  fail 1 "fuzz targets (not built)"
fi

# --- What the Windows executables import ---
# Only DLLs that Windows always takes from its own folder (KnownDLLs and the loader's own), so
# no DLL placed beside SetupVTR.exe in a download folder can be loaded in their place.
known_dlls="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll
msvcrt.dll shlwapi.dll comdlg32.dll imm32.dll rpcrt4.dll ntdll.dll"

check_exe() {
  local exe="$1" format="$2" dump imports bad=""
  if [[ ! -f "$exe" ]]; then
    echo "FAIL $exe is missing"
    return 1
  fi
  dump="$(objdump -p "$exe" 2>&1)"
  if ! grep -q "file format $format\$" <<<"$dump"; then
    echo "FAIL $exe is not $format: $(grep 'file format' <<<"$dump")"
    return 1
  fi
  imports="$(awk '/DLL Name:/ {print tolower($3)}' <<<"$dump" | sort -u)"
  for dll in $imports; do
    grep -qw -- "$dll" <<<"$known_dlls" || bad+=" $dll"
  done
  if [[ -n "$bad" ]]; then
    echo "FAIL $exe imports DLLs that are not Windows' own known DLLs:$bad"
    return 1
  fi
  echo "PASS $exe is $format and imports only:" $imports
}

echo "== imports"
for pair in "win32 pei-i386" "win64 pei-x86-64"; do
  read -r preset format <<<"$pair"
  if [[ "${built[$preset]}" == 1 ]] && check_exe "build/$preset/SetupVTR.exe" "$format"; then
    pass 1
  else
    fail 1 "imports of the $preset SetupVTR.exe"
  fi
done

wine_preset="$(source tests/wine/lib.sh && vtr_wine_preset)"

# --- Release media ---
# The release command on the shipped build, test-signed, and what an administrator checks of
# it: checksums, signatures, the disc image. Where Wine runs the x86_64 build, media of that
# build too: the Wine tests install from its disc.
release_presets=(win32)
[[ "$wine_preset" == win32 ]] || release_presets+=("$wine_preset")
for preset in "${release_presets[@]}"; do
  echo "== release media ($preset build)"
  out="build/release"
  [[ "$preset" == win32 ]] || out+="-$preset"
  log="$logs/release-$preset.log"
  if [[ "${built[$preset]}" != 1 ]]; then
    fail 1 "release media ($preset not built)"
  elif ! bash scripts/release.sh --preset "$preset" >"$log" 2>&1; then
    fail 1 "release media ($preset)"
    show_log_tail "$log"
  else
    bash tests/release/check_media.sh "$out" >>"$log" 2>&1
    summary="$(tail -n 1 "$log")"
    grep -A 12 '^FAIL' "$log"
    echo "$summary"
    if [[ "$summary" =~ ^release:\ ([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
      pass "${BASH_REMATCH[1]}"
      ((BASH_REMATCH[2] == 0)) || fail "${BASH_REMATCH[2]}" "release media ($preset)"
    else
      fail 1 "release media checks ($preset: no result)"
    fi
  fi
  # A workstation edition's media too (it ships the ACE installer): a Wine test installs from it.
  ws_log="$logs/release-$preset-vtrpro_ws.log"
  if [[ "${built[$preset]}" == 1 ]] &&
    ! bash scripts/release.sh --preset "$preset" --edition VTRPRO_WS >"$ws_log" 2>&1; then
    fail 1 "release media ($preset, VTRPRO_WS)"
    show_log_tail "$ws_log"
  fi
done

# --- Wine tests ---
# Which build they ran (its PE header says), repeated beside the totals.
wine_ran="the Wine tests did not run"
if [[ "${built[$wine_preset]}" == 1 ]]; then
  echo "== wine tests ($wine_preset build)"
  log="$logs/wine.log"
  bash tests/wine/run.sh "build/$wine_preset" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  ran="$(sed -n 's/^wine: testing the \(.*\): .*$/\1/p' "$log" | head -n 1)"
  [[ -z "$ran" ]] || wine_ran="the Wine tests ran the $ran (build/$wine_preset)"
  summary="$(grep -E '^wine: [0-9]+ passed, [0-9]+ failed$' "$log" | tail -n 1)"
  if [[ "$summary" =~ ^wine:\ ([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
    pass "${BASH_REMATCH[1]}"
    if ((BASH_REMATCH[2] > 0)); then
      fail "${BASH_REMATCH[2]}" "wine tests"
    elif ((status != 0)); then
      fail 1 "wine tests (status $status)"
    fi
  else
    fail 1 "wine tests (no result)"
  fi
else
  fail 1 "wine tests ($wine_preset not built)"
fi

if ((${#failures[@]} > 0)); then
  echo "failed: ${failures[*]}"
fi
echo "$wine_ran"
echo "$passed passed, $failed failed"
((failed == 0))

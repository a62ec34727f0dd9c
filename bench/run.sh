#!/usr/bin/env bash
# The benchmark, from a clean clone: installs what it needs (nsis besides the usual tools),
# builds the shipped i686 SetupVTR.exe and the build Wine runs here, the packages of realistic
# size and the NSIS installer, then measures. Usage: bash bench/run.sh [ROUNDS] [--before EXE]
# (default 10 rounds; --before measures another SetupVTR.exe of the kind Wine runs here side by
# side, say the one of an earlier commit). Results: build/bench/results.md.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
rounds="${1:-10}"
out="$(pwd)/build/bench"

bash scripts/setup.sh nsis
source tests/wine/lib.sh
wine_preset="$(vtr_wine_preset)"
note="the shipped i686 build"
if [[ "$wine_preset" == win64 ]]; then
  note="the x86_64 build: this machine cannot run 32-bit programs"
fi

for preset in $(printf '%s\n' win32 "$wine_preset" | sort -u); do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" >/dev/null
done
cmake --build --preset "$wine_preset" --target large_packages >/dev/null

mkdir -p "$out"
nsis_target=()
[[ "$wine_preset" == win64 ]] && nsis_target=(-DAMD64)
echo "== NSIS installer"
makensis -V1 "${nsis_target[@]}" -DOUTFILE="$out/nsis_installer.exe" \
  -DPAYLOAD="$(pwd)/build/$wine_preset/packages/vtr3p.msi" bench/installer.nsi

base="$out/base"
rm -rf "$base"
echo "== base prefix"
vtr_boot_prefix "$base"
vtr_start_xvfb
trap 'vtr_stop_xvfb; vtr_stop_wine_under "$out"' EXIT

sizes=(--size-build "i686 (shipped)=build/win32=i686-w64-mingw32-objdump")
if [[ -f build/win64/SetupVTR.exe ]]; then
  sizes+=(--size-build "x86_64=build/win64=x86_64-w64-mingw32-objdump")
fi
python3 bench/bench.py --build "build/$wine_preset" --build-note "$note" "${sizes[@]}" \
  --base "$base" --nsis "$out/nsis_installer.exe" --rounds "$rounds" --out "$out" "${@:2}"

#!/usr/bin/env bash
# Checks release media that scripts/release.sh made with its test authority, as an administrator
# would before handing it out: the checksums hold, every executable and package carries a
# signature that verifies against the authority, a file changed after signing no longer
# verifies, and the disc image holds the media folder's files under their own names.
#   bash tests/release/check_media.sh [RELEASE_DIR]     (default: build/release)
# Prints PASS or FAIL for each check and ends with "release: N passed, N failed".
set -uo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
out="${1:-$repo/build/release}"
media="$out/Vantora Setup"
ca="$out/test-ca.pem"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

passed=0
failed=0
result() {
  if (($1 == 0)); then
    passed=$((passed + 1))
    echo "PASS $2"
  else
    failed=$((failed + 1))
    echo "FAIL $2"
    [[ -z "${3:-}" ]] || sed 's/^/  /' <<<"$3"
  fi
}

verify() {
  osslsigncode verify -CAfile "$ca" -in "$1" 2>&1
}

# Changes one byte a third of the way into a copy of the file.
tampered() {
  local copy size
  copy="$work/$(basename "$1")"
  cp "$1" "$copy"
  size="$(stat -c %s "$copy")"
  printf '\x5a' | dd of="$copy" bs=1 seek=$((size / 3)) conv=notrunc status=none
  printf '%s' "$copy"
}

if [[ ! -f "$ca" ]]; then
  result 1 "release media: $ca is missing (make the media with scripts/release.sh)"
  echo "release: $passed passed, $failed failed"
  exit 1
fi

report="$(cd "$out" && sha256sum --check --strict SHA256SUMS 2>&1)"
result $? "SHA256SUMS holds for every file of the media, the image and the zip" "$report"

expected="SetupVTR.exe UpdateVTR.exe autorun.inf vtr3db.msi vtr3db_update.msi vtr3p.msi"
expected+=" vtr3p_update.msi"
actual="$(cd "$media" && ls | LC_ALL=C sort | xargs)"
[[ "$actual" == "$expected" ]]
result $? "the media folder holds the program, the updater copy and the four packages" \
  "expected: $expected"$'\n'"actual:   $actual"

for file in "$media"/*.exe "$media"/*.msi; do
  name="$(basename "$file")"
  report="$(verify "$file")"
  result $? "$name: the signature verifies against the test authority" "$report"
  report="$(verify "$(tampered "$file")")"
  result $(($? == 0)) "$name: a copy changed after signing does not verify" "$report"
done

# What Windows reads of the disc: its Joliet names, and the same bytes as the folder.
report="$(xorriso -osirrox on -rockridge off -joliet on -indev "$out/VantoraSetup.iso" \
  -extract / "$work/disc" 2>&1)" && report="$(diff -r "$media" "$work/disc" 2>&1)"
result $? "the disc image holds the media folder's files under their Joliet names" "$report"

echo "release: $passed passed, $failed failed"
((failed == 0))

#!/usr/bin/env bash
# Checks that the release is reproducible: builds the media of one commit twice, unsigned, from
# two copies of its source in two differently named folders, and compares the bytes of the
# media (executables, packages, disc image, zip) and of everything the build packaged.
#   bash scripts/reproducible.sh [COMMIT]      (default: the commit checked out)
# Prints each file's SHA-256 from both builds and ends "reproducible: N files identical", or
# names the files that differ and ends non-zero. Two whole builds: several minutes.
# The hashes are kept in build/reproducible/{first,second}.sha256.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo="$(pwd)"
commit="$(git rev-parse --verify "${1:-HEAD}^{commit}")"
epoch="$(git log -1 --format=%ct "$commit")"
results="$repo/build/reproducible"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$results"

bash scripts/setup.sh
# Different names and depths, so that a build folder left inside any file shows.
copies=(first "$work/a/setupvtr" second "$work/second-place/deeper/vantora-source")
for ((i = 0; i < ${#copies[@]}; i += 2)); do
  label="${copies[i]}" source="${copies[i + 1]}"
  echo "reproducible: building $label copy of ${commit:0:12} in $source"
  mkdir -p "$source"
  git archive "$commit" | tar -x -C "$source"
  if ! (cd "$source" && SOURCE_DATE_EPOCH="$epoch" bash scripts/release.sh --unsigned) \
    >"$results/$label.log" 2>&1; then
    tail -n 30 "$results/$label.log"
    echo "reproducible: the $label build failed (log: $results/$label.log)"
    exit 1
  fi
  (
    cd "$source/build"
    mapfile -t packages < <(find win32/packages -name '*.msi' | LC_ALL=C sort)
    sha256sum -- release/SHA256SUMS win32/SetupVTR.exe "${packages[@]}"
    sed 's|  |  release/|' release/SHA256SUMS
  ) >"$results/$label.sha256"
done

if diff -u "$results/first.sha256" "$results/second.sha256"; then
  sed 's/^/  /' "$results/first.sha256"
  echo "reproducible: $(wc -l <"$results/first.sha256") files identical in both builds"
else
  echo "reproducible: FAILED: the files above differ between the two builds"
  exit 1
fi

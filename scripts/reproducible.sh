#!/usr/bin/env bash
# Checks that every build is reproducible: clones one commit twice, into two differently named
# folders, and in each makes a plain preset build (cmake --preset win32, then cmake --build
# --preset win32, with no date given, as a developer builds) and then the release media,
# unsigned. Compares the bytes of everything the plain build made (executables, their debug
# information, packages, test tools) and of the media (executables, packages, disc image, zip).
#   bash scripts/reproducible.sh [COMMIT]      (default: the commit checked out; another commit
#                                               must be on a branch or tag, as clones get those)
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
# Different names and depths, so that a build folder left inside any file shows. Clones, as
# users get the source: a plain build takes its date from the commit checked out.
copies=(first "$work/a/setupvtr" second "$work/second-place/deeper/vantora-source")
for ((i = 0; i < ${#copies[@]}; i += 2)); do
  label="${copies[i]}" source="${copies[i + 1]}"
  log="$results/$label.log"
  echo "reproducible: building $label clone of ${commit:0:12} in $source"
  mkdir -p "$(dirname "$source")"
  if ! { git clone --quiet --no-checkout "$repo" "$source" &&
    git -C "$source" checkout --quiet --detach "$commit"; } >"$log" 2>&1; then
    tail -n 30 "$log"
    echo "reproducible: the $label clone failed (log: $log)"
    exit 1
  fi
  if ! (cd "$source" && unset SOURCE_DATE_EPOCH &&
    cmake --preset win32 && cmake --build --preset win32) >>"$log" 2>&1; then
    tail -n 30 "$log"
    echo "reproducible: the $label plain build failed (log: $log)"
    exit 1
  fi
  # Everything the plain build made, but the linker's map, which names the build folder.
  (
    cd "$source/build"
    find win32 \( -name CMakeFiles -o -name wine-tests \) -prune -o -type f \
      \( -name '*.exe' -o -name '*.dll' -o -name '*.debug' -o -name '*.msi' \) -print |
      LC_ALL=C sort | xargs -d '\n' sha256sum --
  ) >"$results/$label.sha256"
  if ! (cd "$source" && SOURCE_DATE_EPOCH="$epoch" bash scripts/release.sh --unsigned) \
    >>"$log" 2>&1; then
    tail -n 30 "$log"
    echo "reproducible: the $label release build failed (log: $log)"
    exit 1
  fi
  (
    cd "$source/build"
    sha256sum -- release/SHA256SUMS
    sed 's|  |  release/|' release/SHA256SUMS
  ) >>"$results/$label.sha256"
done

if diff -u "$results/first.sha256" "$results/second.sha256"; then
  sed 's/^/  /' "$results/first.sha256"
  echo "reproducible: $(wc -l <"$results/first.sha256") files identical in both builds"
else
  echo "reproducible: FAILED: the files above differ between the two builds"
  exit 1
fi

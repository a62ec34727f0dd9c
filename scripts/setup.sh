#!/usr/bin/env bash
# Installs every tool the build, the tests and the demo need, from Debian's archive.
# Safe to run again: when everything is present it changes nothing and says so. Names given
# as arguments are installed too (the benchmark adds nsis).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

packages=(
  g++ cmake ninja-build clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev clang-format
  mingw-w64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 wine32:i386 wixl
  xvfb imagemagick x11-utils xauth
  python3
  osslsigncode xorriso zip openssl
  "$@"
)

installed() {
  [[ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" == "install ok installed" ]]
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  echo "setup: all ${#packages[@]} packages are installed"
  exit 0
fi

echo "setup: installing ${missing[*]}"
as_root=()
if ((EUID != 0)); then
  if command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
  else
    echo "setup: installing packages needs root; run this script as root" >&2
    exit 1
  fi
fi

need_update=0
# 32-bit Wine (it runs the i686 SetupVTR.exe) comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
  need_update=1
fi
# Install from fresh lists when they are missing or do not know a package we want.
if ((need_update == 0)); then
  for p in "${missing[@]}"; do
    if ! apt-cache show "$p" >/dev/null 2>&1; then
      need_update=1
      break
    fi
  done
fi
# A list the archive is still syncing fails to download; the lists that did come are used, and
# the install below says whether they were enough.
refresh() {
  "${as_root[@]}" apt-get update -q ||
    echo "setup: some package lists could not be fetched; installing from those that were" >&2
}
if ((need_update)); then
  refresh
fi
install() {
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}" </dev/null
}
# Old package lists can name versions the archive no longer has: refresh them and try again.
installed_all() {
  if install; then
    return 0
  fi
  ((need_update)) && return 1
  refresh
  install
}
if ! installed_all; then
  # Without the i386 lists (an archive still syncing them) 32-bit Wine cannot be installed;
  # the machine then runs Wine's 64-bit programs only, as a machine without 32-bit support
  # does, and the tests use the x86_64 build.
  without32=()
  for p in "${missing[@]}"; do
    [[ "$p" == wine32:i386 ]] || without32+=("$p")
  done
  if ((${#without32[@]} == ${#missing[@]})); then
    exit 1
  fi
  echo "setup: wine32:i386 could not be installed; Wine will run 64-bit programs only" >&2
  missing=("${without32[@]}")
  install
fi
echo "setup: done"

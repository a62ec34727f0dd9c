#!/usr/bin/env bash
# Makes the release media from this checkout, under build/release:
#   Vantora Setup/     the media folder: SetupVTR.exe (stripped), UpdateVTR.exe (the same program
#                      under the updater's name), the edition's program and database packages,
#                      full and update, and autorun.inf for a disc; on a workstation edition
#                      also the ACE database engine's installer, AccessDatabaseEngine2010_SP2.exe
#   VantoraSetup.iso   a disc image of that folder (ISO 9660 with Joliet long names)
#   VantoraSetup.zip   a zip of that folder
#   SHA256SUMS         the SHA-256 of every file of the media, of the image and of the zip
#
#   bash scripts/release.sh [--cert CERT.pem --key KEY.pem [--key-pass-file FILE] [--ca CA.pem]]
#                           [--unsigned] [--preset win32|win64] [--out DIR]
#                           [--edition ID] [--ace-installer FILE]
#
# The executables and every package are signed (Authenticode, without a timestamp) with the
# certificate and key given; the packages first, then their SHA-256 digests are linked into
# SetupVTR.exe (which refuses a package that differs), then the executables are signed. Without them the script makes a throw-away test authority and
# signing certificate, signs with those and says loudly that the media is test-signed; only the
# authority's certificate is kept (test-ca.pem), the keys are deleted when the script ends.
# --edition builds another edition than the build folder's (in build/<preset>-<edition>, the
# media in build/release-<edition>). A workstation edition (VTRPRO_WS, VTRPRO_RTF3) ships
# Microsoft's ACE installer, given with --ace-installer (it keeps Microsoft's signature and is
# not signed again); its SHA-256 is recorded with the packages'. Test-signed media of a
# workstation edition without --ace-installer carries the tests' stand-in program under its
# name, and says so.
# --unsigned leaves the signatures out (to compare two builds). Every date inside the media is
# the commit's time (SOURCE_DATE_EPOCH), so two builds of one commit give the same bytes.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo="$(pwd)"

usage() {
  echo "usage:" >&2
  sed -n '/^#   bash scripts\/release.sh/,/^#$/p' "${BASH_SOURCE[0]}" | sed 's/^#//' >&2
  exit 2
}
die() {
  echo "release: $*" >&2
  exit 1
}

preset=win32
out=
cert=
key=
pass_file=
ca=
unsigned=0
edition_asked=
ace_installer=
while (($#)); do
  case "$1" in
    --cert | --key | --key-pass-file | --ca | --preset | --out | --edition | --ace-installer)
      (($# >= 2)) || usage
      value="$(realpath -m -- "$2")"
      case "$1" in
        --cert) cert="$value" ;;
        --key) key="$value" ;;
        --key-pass-file) pass_file="$value" ;;
        --ca) ca="$value" ;;
        --preset) preset="$2" ;;
        --out) out="$value" ;;
        --edition) edition_asked="$2" ;;
        --ace-installer) ace_installer="$value" ;;
      esac
      shift 2
      ;;
    --unsigned)
      unsigned=1
      shift
      ;;
    *) usage ;;
  esac
done
case "$preset" in
  win32) tools=i686-w64-mingw32 ;;
  win64) tools=x86_64-w64-mingw32 ;;
  *) die "unknown preset '$preset': win32 (the shipped build) or win64" ;;
esac
if [[ -n "$cert$key$pass_file$ca" ]]; then
  ((unsigned == 0)) || die "--unsigned cannot go with a certificate"
  [[ -n "$cert" && -n "$key" ]] || die "--cert and --key go together"
  for file in "$cert" "$key" ${pass_file:+"$pass_file"} ${ca:+"$ca"}; do
    [[ -r "$file" ]] || die "cannot read $file"
  done
fi
[[ -z "$ace_installer" || -r "$ace_installer" ]] || die "cannot read $ace_installer"
[[ -z "$edition_asked" || "$edition_asked" =~ ^[A-Za-z0-9_]+$ ]] ||
  die "not an edition ID: $edition_asked"
build="$repo/build/$preset"
[[ -z "$edition_asked" ]] || build+="-${edition_asked,,}"
if [[ -z "$out" ]]; then
  out="$repo/build/release"
  [[ "$preset" == win32 ]] || out+="-$preset"
  [[ -z "$edition_asked" ]] || out+="-${edition_asked,,}"
fi
media="$out/Vantora Setup"
name=VantoraSetup

# Everything below that carries a date takes the commit's time.
if [[ -z "${SOURCE_DATE_EPOCH:-}" ]]; then
  SOURCE_DATE_EPOCH="$(git log -1 --format=%ct 2>/dev/null)" ||
    die "this is not a git checkout: set SOURCE_DATE_EPOCH to the source's time"
fi
[[ "$SOURCE_DATE_EPOCH" =~ ^[0-9]+$ ]] ||
  die "SOURCE_DATE_EPOCH is not a number of seconds: $SOURCE_DATE_EPOCH"
export SOURCE_DATE_EPOCH
if [[ "$(git rev-parse --show-toplevel 2>/dev/null)" == "$repo" ]] &&
  [[ -n "$(git status --porcelain --untracked-files=no)" ]]; then
  echo "release: WARNING: the checkout has uncommitted changes; the media is not the commit's" >&2
fi

test_signed_banner() {
  cat >&2 <<EOF

  ##########################################################################################
  ##  TEST-SIGNED: no certificate was given, so this media is signed by a throw-away test
  ##  authority that no Windows trusts ($out/test-ca.pem).
  ##  Do not ship it. Sign a release with: scripts/release.sh --cert CERT.pem --key KEY.pem
  ##########################################################################################

EOF
}

bash scripts/setup.sh
# The build folder's own edition, or the one asked for.
configure=(cmake --preset "$preset" -B "$build")
[[ -z "$edition_asked" ]] || configure+=(-DVTR_EDITION_ID="$edition_asked")
echo "release: building SetupVTR.exe and the packages ($preset preset), dated" \
  "$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC')"
mkdir -p "$out"
log="$out/build.log"
# First as a developer builds: no package digests recorded yet.
if ! { "${configure[@]}" -DVTR_SOURCE_DATE_EPOCH="$SOURCE_DATE_EPOCH" \
  -DVTR_PACKAGE_DIGESTS= &&
  cmake --build "$build" --target SetupVTR packages vtrrecorder; } >"$log" 2>&1; then
  tail -n 40 "$log" >&2
  die "the build failed (the whole log is in $log)"
fi

# The packages the build's edition looks for beside itself.
edition="$(sed -n 's/^VTR_EDITION_ID:STRING=//p' "$build/CMakeCache.txt")"
if [[ "${edition^^}" == VTRPRO* ]]; then
  packages=(vtr3p vtr3p_update vtr3db vtr3db_update)
else
  packages=(vtr3l vtr3l_update vtr3dbl vtr3dbl_update)
fi

echo "release: laying out $media"
rm -rf "$media" "$out/$name.iso" "$out/$name.zip" "$out/SHA256SUMS" "$out/test-ca.pem" \
  "$out/TEST-SIGNED.txt"
mkdir -p "$media"
for package in "${packages[@]}"; do
  cp "$build/packages/$package.msi" "$media/"
done
# A workstation edition needs the ACE database engine: its installer ships beside setup.
ace_name=AccessDatabaseEngine2010_SP2.exe
ace_standin=0
case "${edition^^}" in
  VTRPRO_WS | VTRPRO_RTF3)
    if [[ -n "$ace_installer" ]]; then
      cp "$ace_installer" "$media/$ace_name"
    elif ((unsigned == 0)) && [[ -z "$cert" ]]; then
      cp "$build/tests/wine/vtrrecorder.exe" "$media/$ace_name"
      ace_standin=1
      echo "release: WARNING: $ace_name on this test media is the tests' stand-in program" >&2
    else
      die "the $edition edition ships the ACE installer: give it with --ace-installer FILE"
    fi
    ;;
  *) [[ -z "$ace_installer" ]] || die "the $edition edition does not ship the ACE installer" ;;
esac
# From a disc, Windows offers to start the setup program.
printf '%s\r\n' '[autorun]' 'open=SetupVTR.exe' 'icon=SetupVTR.exe,0' \
  'label=Vantora Contact Management' >"$media/autorun.inf"

keys="$(mktemp -d)"
digests="$build/package-digests.txt"
# The build folder goes back to a developer's build (no digests recorded) however this ends.
restore_build() {
  rm -rf "$keys"
  if [[ -f "$digests" ]]; then
    rm -f "$digests"
    { "${configure[@]}" -DVTR_PACKAGE_DIGESTS= &&
      cmake --build "$build" --target SetupVTR; } >>"$log" 2>&1 ||
      echo "release: WARNING: $build could not be rebuilt without the package digests" \
        "(see $log)" >&2
  fi
}
trap restore_build EXIT

sign_files() {
  local file
  for file in "$@"; do
    osslsigncode sign "${sign_options[@]}" -in "$file" -out "$keys/signed" >"$keys/sign.log" 2>&1 ||
      die "signing $(basename "$file") failed: $(tail -n 3 "$keys/sign.log")"
    mv "$keys/signed" "$file"
    signed+=("$file")
  done
}

signed=()
if ((unsigned == 0)); then
  if [[ -z "$cert" ]]; then
    test_signed_banner
    echo "release: making a throw-away test authority and signing certificate"
    (
      umask 077
      cd "$keys"
      openssl req -x509 -newkey rsa:3072 -nodes -days 90 -keyout ca.key -out ca.pem \
        -subj "/O=Vantora/CN=Vantora TEST Code Signing Authority (not trusted)" \
        -addext "basicConstraints=critical,CA:TRUE" \
        -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
      openssl req -newkey rsa:3072 -nodes -keyout signer.key -out signer.csr \
        -subj "/O=Vantora/CN=Vantora TEST Code Signing (not for distribution)" 2>/dev/null
      printf '%s\n' basicConstraints=critical,CA:FALSE keyUsage=critical,digitalSignature \
        extendedKeyUsage=codeSigning >signer.ext
      openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -days 90 -extfile signer.ext \
        -set_serial "0x$(openssl rand -hex 8)" -out signer.pem 2>/dev/null
      cat signer.pem ca.pem >chain.pem
    ) || die "openssl could not make the test certificates"
    cp "$keys/ca.pem" "$out/test-ca.pem"
    cert="$keys/chain.pem"
    key="$keys/signer.key"
    ca="$out/test-ca.pem"
    {
      echo "This media is TEST-SIGNED by a throw-away authority that no Windows trusts"
      echo "(test-ca.pem). Do not ship it; sign a release with --cert and --key."
      if ((ace_standin)); then
        echo "Its $ace_name is the tests' stand-in program, not Microsoft's installer."
      fi
    } >"$out/TEST-SIGNED.txt"
  fi
  sign_options=(-certs "$cert" -key "$key" -h sha256 -n "Vantora Contact Management")
  [[ -z "$pass_file" ]] || sign_options+=(-readpass "$pass_file")
  sign_files "$media"/*.msi
fi

# The program records the SHA-256 of every package as it ships (signed), and of the ACE
# installer it may start, and refuses a file that differs: it is linked again with the digests,
# then stripped and signed.
echo "release: recording the packages' digests in SetupVTR.exe"
(cd "$media" && for package in "${packages[@]}"; do sha256sum -- "$package.msi"; done &&
  if [[ -f "$ace_name" ]]; then sha256sum -- "$ace_name"; fi) >"$digests"
if ! { "${configure[@]}" -DVTR_SOURCE_DATE_EPOCH="$SOURCE_DATE_EPOCH" \
  -DVTR_PACKAGE_DIGESTS="$digests" &&
  cmake --build "$build" --target SetupVTR; } >>"$log" 2>&1; then
  tail -n 40 "$log" >&2
  die "linking SetupVTR.exe with the package digests failed (the whole log is in $log)"
fi
# A build that is already stripped is copied as it is; stripping writes a PE time stamp, here
# the one the link wrote (none).
if "$tools-objdump" -f "$build/SetupVTR.exe" | grep -q HAS_SYMS; then
  SOURCE_DATE_EPOCH=0 "$tools-strip" -o "$media/SetupVTR.exe" "$build/SetupVTR.exe"
else
  cp "$build/SetupVTR.exe" "$media/SetupVTR.exe"
fi
# A copy whose name begins with "Update" runs as the updater, with the update packages.
cp "$media/SetupVTR.exe" "$media/UpdateVTR.exe"

if ((unsigned == 0)); then
  # The ACE installer keeps its maker's signature.
  sign_files "$media/SetupVTR.exe" "$media/UpdateVTR.exe"
  echo "release: signed ${#signed[@]} files"
  if [[ -n "$ca" ]]; then
    for file in "${signed[@]}"; do
      osslsigncode verify -CAfile "$ca" -in "$file" >"$keys/verify.log" 2>&1 ||
        die "the signature of $(basename "$file") does not verify: $(tail -n 3 "$keys/verify.log")"
    done
    echo "release: every signature verifies against $(basename "$ca")"
  fi
fi

# Fixed dates, modes and order, so the image and the zip are the same bytes every time.
chmod 0644 "$media"/*
touch -d "@$SOURCE_DATE_EPOCH" "$media"/* "$media"
mapfile -t files < <(cd "$out" && find "Vantora Setup" -type f | LC_ALL=C sort)

echo "release: making $name.iso and $name.zip"
iso_log="$(xorriso -as mkisofs -o "$out/$name.iso" -V VANTORA_SETUP -J -joliet-long -r \
  "$media" 2>&1)" ||
  die "xorriso could not make the disc image:"$'\n'"$iso_log"
(cd "$out" && printf '%s\n' "${files[@]}" | TZ=UTC zip -q -X -D "$name.zip" -@) ||
  die "zip could not make the archive"

(cd "$out" && sha256sum -- "${files[@]}" "$name.iso" "$name.zip" >SHA256SUMS)

echo
echo "release: the media in $out:"
(cd "$out" && for file in "${files[@]}" "$name.iso" "$name.zip"; do
  printf '  %10d  %s\n' "$(stat -c %s "$file")" "$file"
done)
echo "release: SHA256SUMS:"
sed 's/^/  /' "$out/SHA256SUMS"
if ((unsigned)); then
  echo "release: the media is UNSIGNED"
elif [[ -f "$out/TEST-SIGNED.txt" ]]; then
  test_signed_banner
fi

#!/usr/bin/env bash
# Makes the release from the Windows build: DtuConfig-<version>-setup.exe (NSIS) and
# DtuConfig-<version>-portable.zip (the unpacked folder with its portable marker), in
# <build>/packages. With ORVEL_SIGN_CERT and ORVEL_SIGN_KEY (PEM files) both executables and the
# setup are signed with osslsigncode and the signatures verified.
#   tools/package.sh [BUILD_DIR]      default build/win (built first)
set -eu
cd "$(dirname "$0")/.."
build="${1:-build/win}"
[ -f "$build/CMakeCache.txt" ] || { cmake --preset win >/dev/null; }
# (The tests package what the build made, without building again.)
[ -n "${ORVEL_PACKAGE_NO_BUILD:-}" ] || cmake --build "$build" --target DtuConfig dtucfg >/dev/null
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
[ -n "$version" ] || { echo "package: no version in $build/CMakeCache.txt" >&2; exit 2; }
dist="$build/dist"
out="$(realpath -m "$build/packages")"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
rm -rf "$out"
mkdir -p "$out" "$stage/DtuConfig-$version"
# What ships: the programs, the shipped settings, the help and both skins (no snapshots, no
# settings of a test run).
for file in DtuConfig.exe dtucfg.exe DtuConfig.map dtucfg.map config.ini Help.txt portable.ini; do
    cp "$dist/$file" "$stage/DtuConfig-$version/"
done
cp -r "$dist/skin" "$stage/DtuConfig-$version/"
cp dist/config.ini "$stage/DtuConfig-$version/config.ini"

sign() { # file
    if [ -n "${ORVEL_SIGN_CERT:-}" ] && [ -n "${ORVEL_SIGN_KEY:-}" ]; then
        osslsigncode sign -certs "$ORVEL_SIGN_CERT" -key "$ORVEL_SIGN_KEY" -n "DTU configuration tool" \
            -h sha256 -in "$1" -out "$1.signed" >/dev/null
        mv "$1.signed" "$1"
        osslsigncode verify -CAfile "$ORVEL_SIGN_CERT" -in "$1" >/dev/null ||
            { echo "package: the signature of $1 does not verify" >&2; exit 1; }
    fi
}
sign "$stage/DtuConfig-$version/DtuConfig.exe"
sign "$stage/DtuConfig-$version/dtucfg.exe"

(cd "$stage" && zip -qr "$out/DtuConfig-$version-portable.zip" "DtuConfig-$version")
makensis -V2 -DVERSION="$version" -DSOURCE="$stage/DtuConfig-$version" \
    -DOUTFILE="$out/DtuConfig-$version-setup.exe" dist/installer/DtuConfig.nsi >/dev/null
sign "$out/DtuConfig-$version-setup.exe"
ls -1 "$out"

#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Packs the Windows build: a portable zip and an NSIS installer.
#
#   bash packaging/windows/make-packages.sh BUILD_DIR
#
# BUILD_DIR is a cross build (scripts/build-windows.sh) holding src/win32/orvane2.exe.
# Writes BUILD_DIR/packages/orvane2-VERSION-win64.zip (a folder Orvane2 with the stripped
# program, the example configuration vantor2.cfg and a Russian read-me in UTF-8 with a
# byte-order mark and CR LF line ends) and BUILD_DIR/packages/orvane2-VERSION-setup.exe.
# Needs: mingw-w64 (strip), zip, nsis (makensis).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:?usage: make-packages.sh BUILD_DIR}" && pwd)
exe=$build/src/win32/orvane2.exe
[ -f "$exe" ] || { echo "make-packages.sh: $exe is missing; build first" >&2; exit 1; }
for tool in x86_64-w64-mingw32-strip zip makensis; do
    command -v "$tool" >/dev/null || { echo "make-packages.sh: $tool is missing" >&2; exit 1; }
done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || version=$(sed -n 's/^project(Orvane2 VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
out=$build/packages
stage=$out/Orvane2
rm -rf "$out"
mkdir -p "$stage"

x86_64-w64-mingw32-strip -o "$stage/orvane2.exe" "$exe"
cp "$root/examples/vantor2.cfg" "$stage/vantor2.cfg"
{ printf '\xEF\xBB\xBF'; sed 's/$/\r/' "$here/readme.txt"; } >"$stage/readme.txt"

# Same content, same archive: fixed times, no extra attributes.
touch -d '2000-01-01 00:00:00 UTC' "$stage" "$stage"/*
(cd "$out" && zip -q -X -r "orvane2-$version-win64.zip" Orvane2/orvane2.exe Orvane2/vantor2.cfg Orvane2/readme.txt)

makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DEXE="$stage/orvane2.exe" \
    -DCONFIG="$stage/vantor2.cfg" -DREADME="$stage/readme.txt" -DICON="$root/src/win32/orvane2.ico" \
    -DOUTFILE="$out/orvane2-$version-setup.exe" "$here/orvane2.nsi"

ls -l "$out"/*.zip "$out"/*.exe

#!/bin/sh
# Builds the release package and unpacks it twice into a fresh folder outside the build tree:
# once as it is, once without uchardet.dll. Writes that folder's path into RECORD for the test
# that starts the unpacked program under Wine.
#   unpack_package.sh CMAKE BUILD_DIR RECORD
set -eu
cmake=$1 build=$2 record=$3
"$cmake" --build "$build" --target package >/dev/null
zip=$(ls "$build"/package/Quorvel-*-win64.zip)
unpacked=$(mktemp -d /tmp/quorvel-package.XXXXXX)
for copy in complete without-library; do
  mkdir "$unpacked/$copy"
  (cd "$unpacked/$copy" && "$cmake" -E tar xf "$zip")
done
for file in Quorvel.exe uchardet.dll README.md LICENSE uchardet-COPYING.txt uchardet-SOURCE.txt; do
  if [ ! -f "$unpacked"/complete/Quorvel-*-win64/"$file" ]; then
    echo "unpack_package: $file is missing from $zip" >&2
    exit 1
  fi
done
rm "$unpacked"/without-library/Quorvel-*-win64/uchardet.dll
mkdir -p "$(dirname "$record")"
echo "$unpacked" >"$record"

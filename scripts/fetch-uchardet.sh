#!/usr/bin/env bash
# Fetches Debian's uchardet source package and unpacks it into DEST (argument 1).
set -euo pipefail
dest=$1
if [ -f "$dest/src/uchardet.h" ]; then exit 0; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source --download-only uchardet >/dev/null 2>&1) || {
  echo "fetch-uchardet: apt-get source failed; run scripts/setup.sh first" >&2
  exit 1
}
orig=$(ls "$work"/uchardet_*.orig.tar.* | head -n 1)
mkdir -p "$dest"
tar xf "$orig" -C "$dest" --strip-components=1

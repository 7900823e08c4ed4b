#!/usr/bin/env bash
# What single calls cost under this Wine (bench/wine_costs.cpp): opening and reading a file, its
# number from an open handle against its full identity, a control look-up, and a round trip to a
# window's thread back to back and with a file read in between. Milliseconds per call.
#   bash scripts/wine-costs.sh [COUNT]     (COUNT files of 4 KB, default 500)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
export BUILD_DIR=$build_dir
bash "$root/scripts/setup.sh"
BUILD_TARGETS=wine_costs bash "$root/scripts/build.sh" >/dev/null

scratch=$build_dir/wine-costs
. "$root/scripts/wine-session.sh"
trap 'wine_session_stop; rm -rf "$scratch"' EXIT
wine_session_start "$build_dir"
rm -rf "$scratch" && mkdir -p "$scratch"
wine_936 "$build_dir/tools/wine_costs.exe" "Z:${scratch//\//\\}" "${1:-500}" 2>/dev/null | tr -d '\r'

#!/usr/bin/env bash
# Builds everything and runs every test under Wine (Xvfb when there is no display).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
export BUILD_DIR=$build_dir
bash "$root/scripts/build.sh"
. "$root/scripts/wine-session.sh"
trap wine_session_stop EXIT
wine_session_start "$build_dir"
ctest --test-dir "$build_dir" --output-on-failure "$@"

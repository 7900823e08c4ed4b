#!/usr/bin/env bash
# Regenerates docs/window.png: Quorvel's window as it opens, title bar included, drawn by Wine's
# virtual desktop under Xvfb (or on your display when DISPLAY is set).
#
#   bash scripts/screenshot-window.sh [FILE]      FILE defaults to docs/window.png
#
# BUILD_DIR chooses the build folder (default: build); the program is built first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
export BUILD_DIR=$build_dir
out=$(realpath -m "${1:-$root/docs/window.png}")

bash "$root/scripts/build.sh"

. "$root/scripts/wine-session.sh"
. "$root/scripts/virtual-desktop.sh"
trap wine_session_stop EXIT
wine_session_start "$build_dir"

desktop_start
desktop_screenshot "$out" window
desktop_close
echo "screenshot-window: wrote $out"

#!/usr/bin/env bash
# Builds Quorvel (installing what is missing) and starts it under Wine.
#
#   bash scripts/run.sh                     on your display: runs until you close the window
#   bash scripts/run.sh --screenshot FILE   starts it, saves a screenshot to FILE, closes it
#
# With no display (DISPLAY unset) it always takes the screenshot, by default to
# ./quorvel-screenshot.png. BUILD_DIR chooses the build folder (default: build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
export BUILD_DIR=$build_dir

screenshot=
while [ $# -gt 0 ]; do
  case $1 in
    --screenshot)
      [ $# -ge 2 ] || { echo "run.sh: --screenshot needs a file name" >&2; exit 2; }
      screenshot=$2
      shift 2
      ;;
    -h | --help)
      sed -n '2,8s/^# \{0,1\}//p' "$0"
      exit 0
      ;;
    *)
      echo "run.sh: unknown argument $1 (see --help)" >&2
      exit 2
      ;;
  esac
done
if [ -z "$screenshot" ] && [ -z "${DISPLAY:-}" ]; then
  screenshot=quorvel-screenshot.png
fi
# The file is named from where run.sh was started.
if [ -n "$screenshot" ] && [ "${screenshot#/}" = "$screenshot" ]; then
  screenshot="$PWD/$screenshot"
fi

bash "$root/scripts/build.sh"

. "$root/scripts/wine-session.sh"
. "$root/scripts/virtual-desktop.sh"
trap wine_session_stop EXIT
wine_session_start "$build_dir"

if [ -z "$screenshot" ]; then
  # On a real display the window manager may manage Wine's windows again (the test session
  # turns that off for Xvfb).
  wine_936 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d Y /f >/dev/null 2>&1 </dev/null
  wine_936 "$build_dir/out/Quorvel.exe" </dev/null
  exit 0
fi

desktop_start
desktop_screenshot "$screenshot"
desktop_close
echo "run.sh: screenshot written to $screenshot"

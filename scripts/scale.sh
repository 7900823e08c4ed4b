#!/usr/bin/env bash
# The scale scenario of the safety suite, too long for test.sh: 100,000 small files in 2,000
# folders (made here by tests/safety/fixtures/make_scale_tree.py) go through a transcode, a
# backup and a restore by the real Quorvel.exe under Wine; every file is checked before and
# after each run, and the time and peak memory of each run are printed and written to the
# reliability table (BUILD_DIR/reliability/). Takes a quarter of an hour and about 1 GB of
# disk. SCALE_FOLDERS and SCALE_FILES (folders, files per folder) make a smaller tree for a try.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
export BUILD_DIR=$build_dir
BUILD_TARGETS=${BUILD_TARGETS:-"Quorvel safety_safety_test"} bash "$root/scripts/build.sh"

scale=$build_dir/test-scratch/safety-big-tree
folders=${SCALE_FOLDERS:-2000} files=${SCALE_FILES:-50}
python3 "$root/tests/safety/fixtures/make_scale_tree.py" "$scale/tree" "$folders" "$files"

. "$root/scripts/wine-session.sh"
cleanup() {
  wine_session_stop
  rm -rf "$scale"
}
trap cleanup EXIT
wine_session_start "$build_dir"
cd "$build_dir/tests-bin"
QUORVEL_SOURCE_DIR=$root QUORVEL_BUILD_DIR=$build_dir QUORVEL_SCALE_FILES=$((folders * files)) \
  "$build_dir/wine-run.sh" "$build_dir/tests-bin/safety_safety_test.exe" --gtest_filter='Scale/*'

#!/usr/bin/env bash
# Benchmark: Quorvel's runs, driven from its real window, against the floor (the file and list
# work no run can do without) and against the per-file shell loop, on a generated plugin tree.
#
#   bash scripts/bench.sh            10,000 files and the 100,000-file scale run, 5 runs each;
#                                    writes the results table into README.md
#   bash scripts/bench.sh --quick    1,000 files (5,000 for scale), 1 run; README.md untouched
#
# Options: --runs N, --files N, --scale-files N (0: no scale run), --readme / --no-readme.
# BUILD_DIR chooses the build folder (default: build); corpora and work copies go under
# BUILD_DIR/bench. Without DISPLAY an Xvfb is started.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
export BUILD_DIR=$build_dir

runs=5 files=10000 scale_files=100000 readme=1
while [ $# -gt 0 ]; do
  case $1 in
    --quick) runs=1 files=1000 scale_files=5000 readme=0 ;;
    --runs) runs=$2; shift ;;
    --files) files=$2; shift ;;
    --scale-files) scale_files=$2; shift ;;
    --readme) readme=1 ;;
    --no-readme) readme=0 ;;
    -h | --help) sed -n '2,12s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) echo "bench.sh: unknown argument $1 (see --help)" >&2; exit 2 ;;
  esac
  shift
done

# The shell loop's charset detector: Debian's uchardet command.
bash "$root/scripts/setup.sh"
if ! command -v uchardet >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends uchardet >/dev/null
fi
BUILD_TARGETS="Quorvel quorvel_drive floor_files floor_list" bash "$root/scripts/build.sh" >/dev/null

bench_dir=$build_dir/bench
tools=$build_dir/tools
results=$bench_dir/results.tsv
mkdir -p "$bench_dir"
: >"$results"
report() { python3 "$root/bench/bench_report.py" "$@"; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# A corpus per size, made again when the generator changes.
corpus() {
  local count=$1 dir=$bench_dir/corpus-$1
  local stamp
  stamp=$(sha1sum "$root/bench/make_corpus.py" | cut -c1-12)
  if [ "$(cat "$dir/stamp" 2>/dev/null)" != "$stamp" ]; then
    rm -rf "$dir"
    python3 "$root/bench/make_corpus.py" "$dir" --files "$count" >"$dir.log"
    echo "$stamp" >"$dir/stamp"
  fi
  echo "$dir"
}

work=$bench_dir/work
# Waits until the machine has been at least 70 % idle for two seconds (at most a minute), so
# that other people's work on a shared machine disturbs the figures less.
wait_for_quiet() {
  local tries
  for tries in $(seq 1 30); do
    [ "$(idle_percent)" -ge 70 ] && return 0
  done
  echo "bench: the machine stayed busy; measuring all the same" >&2
}
fresh_copy() {
  rm -rf "$work"
  cp -a "$1" "$work"
  sync
  wait_for_quiet
}
idle_percent() {
  local cpu user nice system idle iowait irq softirq steal before_total before_idle
  read -r cpu user nice system idle iowait irq softirq steal _ </proc/stat
  before_total=$((user + nice + system + idle + iowait + irq + softirq + steal))
  before_idle=$((idle + iowait))
  sleep 2
  read -r cpu user nice system idle iowait irq softirq steal _ </proc/stat
  echo $((100 * (idle + iowait - before_idle) /
    (user + nice + system + idle + iowait + irq + softirq + steal - before_total)))
}

. "$root/scripts/wine-session.sh"
trap 'rm -rf "$work"; wine_session_stop' EXIT
wine_session_start "$build_dir"
quorvel=$(winpath "$build_dir/out/Quorvel.exe")

# One Quorvel run from the window, on the work copy: measurement name, action, target.
quorvel_run() {
  local name=$1 action=$2 target=${3:-0} out
  out=$(wine_936 "$tools/quorvel_drive.exe" --exe "$quorvel" --folder "$(winpath "$work")" \
    --action "$action" --target "$target" --close 2>/dev/null | tr -d '\r')
  report record "$results" "$name" "$out"
}

floor_runs() {
  local corpus_dir=$1 out
  out=$(wine_936 "$tools/floor_files.exe" "$(winpath "$work")" \
    "$(winpath "$corpus_dir/files.txt")" 2>/dev/null | tr -d '\r')
  report record "$results" floor_files "$out"
  wait_for_quiet
  out=$(wine_936 "$tools/floor_list.exe" "$(winpath "$work")" \
    "$(winpath "$corpus_dir/files.txt")" 2>/dev/null | tr -d '\r')
  report record "$results" floor_list "$out"
}

shell_run() {
  local name=$1 start end
  start=$(date +%s%N)
  sh "$root/bench/shell_loop.sh" "$work"
  end=$(date +%s%N)
  report record "$results" "$name" "elapsed_ms=$(((end - start) / 1000000))"
}

small=$(corpus "$files")
echo "bench: corpus $(cat "$small.log")"

# Trees that the later runs start from, made once (untimed) and checked: the tree after a
# transcode run to UTF-8 (exactly the code page 936 files changed, each into its UTF-8 form,
# and the same tree the shell loop makes), and the tree after a backup run.
fresh_copy "$small/tree"
quorvel_run prepare_utf8 transcode 0
report check-converted "$small" "$work"
rm -rf "$bench_dir/converted" && mv "$work" "$bench_dir/converted"
fresh_copy "$small/tree"
shell_run prepare_shell_loop
report same-trees "$bench_dir/converted" "$work"
fresh_copy "$small/tree"
quorvel_run prepare_backup backup
rm -rf "$bench_dir/backed-up" && mv "$work" "$bench_dir/backed-up"

if [ "$scale_files" -gt 0 ]; then
  large=$(corpus "$scale_files")
  echo "bench: scale corpus $(cat "$large.log")"
fi

# Rounds: every measurement once per round, each on a fresh copy, so that the machine's
# changing load falls on all of them alike.
for round in $(seq 1 "$runs"); do
  echo "bench: round $round of $runs"
  fresh_copy "$small/tree"
  quorvel_run transcode_utf8 transcode 0
  fresh_copy "$bench_dir/converted"
  quorvel_run transcode_ansi transcode 1
  fresh_copy "$small/tree"
  quorvel_run backup backup
  fresh_copy "$bench_dir/backed-up"
  quorvel_run restore restore
  fresh_copy "$small/tree"
  floor_runs "$small"
  fresh_copy "$small/tree"
  shell_run shell_loop
  if [ "$scale_files" -gt 0 ]; then
    fresh_copy "$large/tree"
    quorvel_run scale_transcode_utf8 transcode 0
  fi
done

summary=(summary "$results" "$small" --runs "$runs")
if [ "$scale_files" -gt 0 ]; then summary+=(--scale "$large"); fi
if [ "$readme" = 1 ]; then summary+=(--readme "$root/README.md"); fi
report "${summary[@]}"

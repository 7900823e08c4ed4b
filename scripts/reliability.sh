#!/usr/bin/env bash
# Runs the safety suite (tests/safety, through test.sh) and writes its reliability table into
# README.md between the lines <!-- reliability:begin --> and <!-- reliability:end -->, or into
# docs/reliability.md when README.md has no such lines. Every row, "bytes lost" included, is
# what the suite measured and wrote to BUILD_DIR/reliability/rows/; the scale row is the one
# the latest `bash scripts/scale.sh` left there.
#   bash scripts/reliability.sh            run the suite, then write the table
#   bash scripts/reliability.sh --no-run   only write the table from the rows already there
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
export BUILD_DIR=$build_dir

status=0
if [ "${1:-}" != "--no-run" ]; then
  bash "$root/scripts/test.sh" -R '^safety_' || status=$?
fi

rows=$build_dir/reliability/rows
if ! ls "$rows"/*.md >/dev/null 2>&1; then
  echo "reliability: no rows in $rows; run the suite first" >&2
  exit 1
fi

python3 - "$root" "$rows" <<'PY'
import glob
import os
import sys

root, rows = sys.argv[1], sys.argv[2]
lines = [open(path, encoding="utf-8").read().rstrip("\n")
         for path in sorted(glob.glob(os.path.join(rows, "*.md")))]
scale = any("scale.sh" in line for line in lines)
block = [
    "The safety suite (`tests/safety/`) runs each scenario below against the real program "
    "under Wine: the main window in the test process, or `Quorvel.exe` itself where a process "
    "is killed or a tree is large. Before and after every run it reads every file of the tree "
    "and of the folders around it, byte for byte, and checks that each file is unchanged, or "
    "exactly the lossless conversion of its old bytes, or exactly the bytes of its backup; "
    "that every backup holds its source's bytes; that nothing outside the chosen folder "
    "changed; and that no row says 已转码, 备份成功 or 还原成功 for a file that was not "
    "rewritten so. \"Bytes lost\" is the size of every file that failed those checks, as the "
    "suite counted it.",
    "",
    "Made by `bash scripts/reliability.sh`, which runs the suite through `bash scripts/test.sh`. "
    "The scale row comes from `bash scripts/scale.sh` (100,000 files; too long for test.sh)"
    + ("." if scale else "; it has not been run in this build folder yet."),
    "",
    "| Scenario | Files | Outcome | Bytes lost |",
    "|---|---|---|---|",
] + lines
text = "\n".join(block) + "\n"

readme = os.path.join(root, "README.md")
begin, end = "<!-- reliability:begin -->", "<!-- reliability:end -->"
content = open(readme, encoding="utf-8").read() if os.path.exists(readme) else ""
if begin in content and end in content and content.index(begin) < content.index(end):
    head = content[: content.index(begin) + len(begin)]
    tail = content[content.index(end):]
    with open(readme, "w", encoding="utf-8") as out:
        out.write(head + "\n" + text + tail)
    print("reliability: table written to README.md")
else:
    os.makedirs(os.path.join(root, "docs"), exist_ok=True)
    with open(os.path.join(root, "docs", "reliability.md"), "w", encoding="utf-8") as out:
        out.write("# Reliability\n\n" + text)
    print("reliability: README.md has no reliability markers; table written to docs/reliability.md")
PY
exit $status

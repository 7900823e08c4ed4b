#!/usr/bin/env python3
"""The benchmark's bookkeeping (scripts/bench.sh): records each run's figures, checks the trees
that the runs leave, and sums everything up into a table, on stdout and in README.md.

    bench_report.py record RESULTS NAME OUTPUT      OUTPUT: a program's key=value lines
    bench_report.py check-converted CORPUS TREE     TREE is CORPUS/tree after a run to UTF-8
    bench_report.py same-trees A B
    bench_report.py summary RESULTS CORPUS --runs N [--scale CORPUS] [--readme README.md]
"""

import argparse
import datetime
import filecmp
import os
import statistics
import subprocess
import sys

BEGIN, END = "<!-- benchmark:begin -->", "<!-- benchmark:end -->"
MIB = 1024 * 1024


def record(args):
    values = dict(line.split("=", 1) for line in args.output.splitlines() if "=" in line)
    if "elapsed_ms" not in values or "error" in values:
        sys.exit("bench: %s failed: %s" % (args.name, args.output.strip()))
    fields = [args.name] + [values.get(k, "") for k in
                            ("elapsed_ms", "rows", "peak_working_set", "peak_pagefile")]
    with open(args.results, "a") as f:
        f.write("\t".join(fields) + "\n")
    print("bench: %-22s %9.0f ms" % (args.name, float(values["elapsed_ms"])))


def manifest(corpus):
    with open(os.path.join(corpus, "manifest.tsv"), encoding="utf-8") as f:
        return [line.rstrip("\n").split("\t") for line in f if line.strip()]


def files_under(tree):
    found = set()
    for folder, _, names in os.walk(tree):
        for name in names:
            found.add(os.path.relpath(os.path.join(folder, name), tree))
    return found


def check_converted(args):
    entries = manifest(args.corpus)
    original = os.path.join(args.corpus, "tree")
    if files_under(args.tree) != {rel for rel, _, _ in entries}:
        sys.exit("bench: the converted tree holds other files than the corpus")
    for rel, kind, _ in entries:
        with open(os.path.join(original, rel), "rb") as f:
            before = f.read()
        with open(os.path.join(args.tree, rel), "rb") as f:
            after = f.read()
        expected = before.decode("gbk").encode("utf-8") if kind == "gbk" else before
        if after != expected:
            sys.exit("bench: %s (%s) is not what a run to UTF-8 makes of it" % (rel, kind))
    print("bench: the run to UTF-8 rewrote exactly the %d code page 936 files" %
          sum(1 for _, kind, _ in entries if kind == "gbk"))


def same_trees(args):
    names = files_under(args.a)
    if names != files_under(args.b):
        sys.exit("bench: %s and %s hold different files" % (args.a, args.b))
    _, mismatch, errors = filecmp.cmpfiles(args.a, args.b, sorted(names), shallow=False)
    if mismatch or errors:
        sys.exit("bench: %d files differ between %s and %s" % (len(mismatch) + len(errors),
                                                              args.a, args.b))
    print("bench: the shell loop makes the same tree as Quorvel")


def load(results):
    runs = {}
    with open(results) as f:
        for line in f:
            name, elapsed, rows, peak_ws, peak_pf = line.rstrip("\n").split("\t")
            runs.setdefault(name, []).append({
                "ms": float(elapsed), "rows": int(rows) if rows else None,
                "ws": int(peak_ws) if peak_ws else None, "pf": int(peak_pf) if peak_pf else None})
    return runs


def corpus_facts(corpus):
    entries = manifest(corpus)
    sizes = [int(size) for _, _, size in entries]
    kinds = {}
    for _, kind, _ in entries:
        kinds[kind] = kinds.get(kind, 0) + 1
    folders = sum(1 for _ in os.walk(os.path.join(corpus, "tree")))
    return {"files": len(entries), "folders": folders, "bytes": sum(sizes),
            "largest": max(sizes), "kinds": kinds}


def seconds(ms):
    return "%.2f s" % (ms / 1000)


def summary(args):
    runs = load(args.results)
    facts = corpus_facts(args.corpus)
    files = facts["files"]
    median = {name: statistics.median(r["ms"] for r in rs) for name, rs in runs.items()}

    problems = []
    for name in ("transcode_utf8", "transcode_ansi", "backup", "restore"):
        if any(r["rows"] != files for r in runs.get(name, [])):
            problems.append("%s: a run listed another number of rows than %d" % (name, files))

    floor = median["floor_files"] + median["floor_list"]
    quorvel = median["transcode_utf8"]
    gbk = facts["kinds"].get("gbk", 0)
    rows = [
        ("Quorvel: transcode run to UTF-8", "transcode_utf8"),
        ("Quorvel: transcode run to ANSI, on the converted tree", "transcode_ansi"),
        ("Quorvel: backup run", "backup"),
        ("Quorvel: restore run", "restore"),
        ("Floor, files: walk, read every file, rewrite the %s code page 936 files" %
         format(gbk, ","), "floor_files"),
        ("Floor, list: %s rows, then %s statuses" % (format(files, ","), format(files, ",")),
         "floor_list"),
        ("Shell loop (uchardet, iconv for GB files, temp file + mv), native", "shell_loop"),
    ]
    lines = []
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    lines.append("Measured %s on %d cores (shared), %s, Xvfb, Wine's default \"Light\" theme; "
                 "`bash scripts/bench.sh`, medians of %d runs, each on a fresh copy of the tree "
                 "and started once the shared machine was at least 70 %% idle (waiting a minute at most)."
                 % (datetime.date.today().isoformat(), os.cpu_count(), wine, args.runs))
    lines.append("")
    lines.append("Corpus (`bench/make_corpus.py`, seeded, Chinese text from the zh_CN message "
                 "catalogs on the machine): %s files with the default extensions in %s folders, "
                 "%.1f MB, largest file %s KB; %s code page 936, %s UTF-8, %s ASCII." % (
                     format(files, ","), format(facts["folders"], ","), facts["bytes"] / 1e6,
                     facts["largest"] // 1024, format(gbk, ","),
                     format(facts["kinds"].get("utf8", 0), ","),
                     format(facts["kinds"].get("ascii", 0), ",")))
    lines.append("")
    lines.append("| Measurement | Median | Runs | Per file | Peak working set |")
    lines.append("|---|---:|---|---:|---:|")
    for title, name in rows:
        rs = runs.get(name, [])
        if not rs:
            continue
        peak = max((r["ws"] for r in rs if r["ws"]), default=None)
        lines.append("| %s | %s | %s | %.3f ms | %s |" % (
            title, seconds(median[name]), " ".join("%.1f" % (r["ms"] / 1000) for r in rs),
            median[name] / files, "%.1f MiB" % (peak / MIB) if peak else ""))
    lines.append("| **Floor: files + list** | %s | | %.3f ms | |" % (seconds(floor),
                                                                    floor / files))
    targets = []
    targets.append(("Transcode run to UTF-8 within 1.25 × the floor",
                    "%.2f ×" % (quorvel / floor), quorvel <= 1.25 * floor))
    targets.append(("Faster than the shell loop by 1.5 × or more",
                    "%.2f ×" % (median["shell_loop"] / quorvel),
                    median["shell_loop"] >= 1.5 * quorvel))
    if args.scale:
        large = corpus_facts(args.scale)
        scale_runs = runs.get("scale_transcode_utf8", [])
        if any(r["rows"] != large["files"] for r in scale_runs):
            problems.append("scale run: another number of rows than %d" % large["files"])
        scale_ms = median["scale_transcode_utf8"]
        lines.append("| Quorvel: transcode run to UTF-8, %s files in %s folders (%.0f MB) | %s "
                     "| %s | %.3f ms | %.1f MiB |" % (
                         format(large["files"], ","), format(large["folders"], ","),
                         large["bytes"] / 1e6, seconds(scale_ms),
                         " ".join("%.1f" % (r["ms"] / 1000) for r in scale_runs),
                         scale_ms / large["files"],
                         max(r["ws"] for r in scale_runs) / MIB))
        growth = (scale_ms / large["files"]) / (quorvel / files)
        targets.append(("Time per file at %s files within 1.2 × of %s files" % (
            format(large["files"], ","), format(files, ",")), "%.2f ×" % growth, growth <= 1.2))
    peak = max(r["ws"] for name in ("transcode_utf8", "transcode_ansi", "backup", "restore")
               for r in runs.get(name, []))
    limit = 3 * facts["largest"] + 64 * MIB
    targets.append(("Peak memory of the Quorvel process within 3 × the largest file + 64 MiB",
                    "%.1f MiB of %.1f MiB" % (peak / MIB, limit / MIB), peak <= limit))
    lines.append("")
    lines.append("| Target | Figure | Met |")
    lines.append("|---|---:|---|")
    for title, figure, met in targets:
        lines.append("| %s | %s | %s |" % (title, figure, "yes" if met else "**no**"))
    lines.append("")
    lines.append(
        "Quorvel's time runs from the click on the button to its closing message "
        "(`tools/quorvel_drive.cpp`); peak working set as Wine reports it for the process. "
        "Under Xvfb without a window manager the window is unmanaged (the test session sets "
        "Wine's X11 `Managed` to N), as in the tests. The floor (`bench/floor_files.cpp`, "
        "`bench/floor_list.cpp`) writes back the bytes it read, through the program's own safe "
        "write. The shell loop is the per-file job a Linux admin writes natively with Debian's "
        "`uchardet` command and glibc's `iconv`; `enca`/`enconv`, which convert files in bulk, "
        "were left out on purpose: the project does not install or run an existing program "
        "that does this tool's job.")
    for problem in problems:
        lines.append("")
        lines.append("**Check failed:** " + problem)
    table = "\n".join(lines)
    print(table)
    if args.readme:
        write_readme(args.readme, table)
    if problems:
        sys.exit(1)


def write_readme(path, table):
    if not os.path.exists(path):
        sys.exit("bench: %s is missing" % path)
    with open(path, encoding="utf-8") as f:
        text = f.read()
    if BEGIN not in text or END not in text:
        sys.exit("bench: %s has no %s ... %s block" % (path, BEGIN, END))
    head, rest = text.split(BEGIN, 1)
    _, tail = rest.split(END, 1)
    with open(path, "w", encoding="utf-8") as f:
        f.write(head + BEGIN + "\n" + table + "\n" + END + tail)
    print("bench: results written into %s" % path)


def main():
    parser = argparse.ArgumentParser()
    commands = parser.add_subparsers(dest="command", required=True)
    p = commands.add_parser("record")
    p.add_argument("results")
    p.add_argument("name")
    p.add_argument("output")
    p.set_defaults(run=record)
    p = commands.add_parser("check-converted")
    p.add_argument("corpus")
    p.add_argument("tree")
    p.set_defaults(run=check_converted)
    p = commands.add_parser("same-trees")
    p.add_argument("a")
    p.add_argument("b")
    p.set_defaults(run=same_trees)
    p = commands.add_parser("summary")
    p.add_argument("results")
    p.add_argument("corpus")
    p.add_argument("--runs", type=int, required=True)
    p.add_argument("--scale")
    p.add_argument("--readme")
    p.set_defaults(run=summary)
    args = parser.parse_args()
    args.run(args)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Makes the benchmark's plugin tree: a seeded, repeatable tree of configuration files in real
Chinese text, taken from the zh_CN message catalogs on this machine.

    make_corpus.py OUT [--files N] [--folders F] [--seed S]

Writes OUT/tree (the plugin folder), OUT/manifest.tsv (relative path, kind, size; UTF-8) and
OUT/files.txt (kind, a tab and the relative path in code page 936 with "\\", one file a line,
for the floor programs under Wine). Kinds: gbk (code page 936 Chinese text: the files a
transcode run to UTF-8 rewrites), utf8 (UTF-8 Chinese text) and ascii (English text).
"""

import argparse
import glob
import json
import math
import os
import random
import shutil
import struct
import sys

EXTENSIONS = [("yml", 40), ("txt", 20), ("json", 25), ("lang", 15)]
KINDS = [("gbk", 45), ("utf8", 45), ("ascii", 10)]
LARGEST = 256 * 1024
CATALOGS = "/usr/share/locale/zh_CN/LC_MESSAGES/*.mo"


def read_catalog(path):
    """(msgid, msgstr) pairs of one .mo file, as text."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 20:
        return []
    magic = struct.unpack("<I", data[:4])[0]
    endian = "<" if magic == 0x950412DE else ">" if magic == 0xDE120495 else None
    if endian is None:
        return []
    count, originals, translations = struct.unpack(endian + "3I", data[8:20])
    pairs = []
    for i in range(count):
        olen, ooff = struct.unpack(endian + "2I", data[originals + 8 * i : originals + 8 * i + 8])
        tlen, toff = struct.unpack(endian + "2I", data[translations + 8 * i : translations + 8 * i + 8])
        msgid = data[ooff : ooff + olen].split(b"\0")[0]
        msgstr = data[toff : toff + tlen].split(b"\0")[0]
        try:
            pairs.append((msgid.decode("utf-8"), msgstr.decode("utf-8")))
        except UnicodeDecodeError:
            pass
    return pairs


def gb2312_only(text):
    """The text without characters that code page 936 lacks or that make no sense in a line."""
    kept = []
    for ch in text:
        if ch == "\t" or ch == "\n" or ch == "\r":
            kept.append(" ")
            continue
        if " " <= ch <= "~":
            kept.append(ch)
            continue
        try:
            ch.encode("gb2312")
            kept.append(ch)
        except UnicodeEncodeError:
            pass
    return " ".join("".join(kept).split())


def has_chinese(text):
    return any("\u4e00" <= ch <= "\u9fa5" for ch in text)


def text_pools():
    chinese, english = set(), set()
    for path in sorted(glob.glob(CATALOGS)):
        for msgid, msgstr in read_catalog(path):
            zh = gb2312_only(msgstr)
            if has_chinese(zh) and 4 <= len(zh) <= 200 and '"' not in zh and "\\" not in zh:
                chinese.add(zh)
            en = " ".join(msgid.split())
            if en and all(" " <= c <= "~" for c in en) and 4 <= len(en) <= 200:
                if '"' not in en and "\\" not in en:
                    english.add(en)
    if len(chinese) < 1000:
        sys.exit("make_corpus: too little Chinese text in " + CATALOGS)
    return sorted(chinese), sorted(english)


def weighted(rng, choices):
    total = sum(w for _, w in choices)
    pick = rng.uniform(0, total)
    for value, w in choices:
        pick -= w
        if pick <= 0:
            return value
    return choices[-1][0]


def file_size(rng, index, files):
    """Mostly 0.3-8 KB, skewed small; about one file in 300 between 8 and 256 KB, and one file of
    (almost) 256 KB, the largest, which the memory target is measured against."""
    if index == files // 2:
        return LARGEST
    if rng.random() < 1 / 300:
        return int(math.exp(rng.uniform(math.log(8 * 1024), math.log(LARGEST))))
    return int(300 * (8192 / 300) ** (rng.random() ** 3.0))


def content_lines(rng, ext, pool):
    """Lines in the shape of the extension's files, each holding one catalog message."""
    key = 0
    while True:
        key += 1
        text = rng.choice(pool)
        if ext == "yml":
            if key % 12 == 1:
                yield "# " + rng.choice(pool)
                yield "section-%d:" % key
            yield '  message-%d: "%s"' % (key, text)
        elif ext == "lang":
            yield "plugin.message.%d=%s" % (key, text)
        elif ext == "json":
            yield '  "message-%d": %s,' % (key, json.dumps(text, ensure_ascii=False))
        else:
            yield text


def make_content(rng, ext, kind, size, chinese, english):
    encoding = {"gbk": "gbk", "utf8": "utf-8", "ascii": "ascii"}[kind]
    pool = english if kind == "ascii" else chinese
    newline = "\r\n" if rng.random() < 0.5 else "\n"
    lines = ["{"] if ext == "json" else []
    length = sum(len((l + newline).encode(encoding)) for l in lines)
    for line in content_lines(rng, ext, pool):
        grown = length + len((line + newline).encode(encoding))
        if grown > LARGEST and len(lines) > 1:
            break
        lines.append(line)
        length = grown
        if length >= size:
            break
    if ext == "json":
        lines[-1] = lines[-1].rstrip(",")
        lines.append("}")
    return (newline.join(lines) + newline).encode(encoding)


FOLDER_WORDS = ["config", "lang", "data", "messages", "locale", "players", "worlds", "shops",
                "quests", "kits", "menus", "ranks", "storage", "modules", "addons", "scripts"]
FOLDER_WORDS_ZH = ["配置", "语言", "数据", "消息", "玩家", "商店", "任务", "菜单", "模块", "脚本"]
PLUGIN_WORDS = ["Essentials", "Economy", "Guard", "Chat", "Market", "Warps", "Holo", "Perms",
                "Skills", "Claims", "Votes", "Arena", "Tab", "Spawn", "Mail", "Backup"]
FILE_WORDS = ["config", "messages", "zh_cn", "settings", "lang", "items", "rewards", "gui",
              "commands", "help", "players", "groups", "shop", "npc", "tips", "broadcast"]
FILE_WORDS_ZH = ["配置", "消息", "提示", "玩家数据", "商品", "奖励", "公告", "帮助", "说明"]


def make_folders(rng, count):
    """Relative folder paths: the plugin folder itself, plugins below it, nested subfolders."""
    folders = [""]
    depth = {"": 0}
    used = set()
    while len(folders) < count:
        parent = rng.choice(folders)
        if depth[parent] >= 5:
            continue
        if depth[parent] == 0:
            name = rng.choice(PLUGIN_WORDS) + rng.choice(["", "Plus", "X", "Pro", "Lite"])
        elif rng.random() < 0.2:
            name = rng.choice(FOLDER_WORDS_ZH)
        else:
            name = rng.choice(FOLDER_WORDS)
        path = os.path.join(parent, name)
        serial = 1
        while path in used:
            serial += 1
            path = os.path.join(parent, "%s%d" % (name, serial))
        used.add(path)
        folders.append(path)
        depth[path] = depth[parent] + 1
    return folders


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--files", type=int, default=10000)
    parser.add_argument("--folders", type=int, default=0, help="default: files / 8")
    parser.add_argument("--seed", type=int, default=936)
    args = parser.parse_args()
    folders_wanted = args.folders or max(1, args.files // 8)

    rng = random.Random(args.seed)
    chinese, english = text_pools()
    folders = make_folders(rng, folders_wanted)

    tree = os.path.join(args.out, "tree")
    if os.path.exists(tree):
        shutil.rmtree(tree)
    for folder in folders:
        os.makedirs(os.path.join(tree, folder), exist_ok=True)

    names = set()
    manifest, listing = [], []
    for index in range(args.files):
        folder = rng.choice(folders)
        ext = weighted(rng, EXTENSIONS)
        kind = weighted(rng, KINDS)
        size = file_size(rng, index, args.files)
        words = FILE_WORDS_ZH if rng.random() < 0.15 else FILE_WORDS
        base = rng.choice(words)
        rel = os.path.join(folder, "%s.%s" % (base, ext))
        serial = 1
        while rel in names:
            serial += 1
            rel = os.path.join(folder, "%s_%d.%s" % (base, serial, ext))
        names.add(rel)
        data = make_content(rng, ext, kind, size, chinese, english)
        with open(os.path.join(tree, rel), "wb") as f:
            f.write(data)
        manifest.append("%s\t%s\t%d" % (rel, kind, len(data)))
        listing.append(kind.encode() + b"\t" + rel.replace("/", "\\").encode("gbk"))

    with open(os.path.join(args.out, "manifest.tsv"), "w", encoding="utf-8") as f:
        f.write("\n".join(manifest) + "\n")
    with open(os.path.join(args.out, "files.txt"), "wb") as f:
        f.write(b"".join(line + b"\n" for line in listing))
    total = sum(int(line.rsplit("\t", 1)[1]) for line in manifest)
    largest = max(int(line.rsplit("\t", 1)[1]) for line in manifest)
    gbk = sum(1 for line in manifest if line.split("\t")[1] == "gbk")
    print("files=%d folders=%d bytes=%d largest=%d gbk=%d" %
          (args.files, len(folders), total, largest, gbk))


if __name__ == "__main__":
    main()

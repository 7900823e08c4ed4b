#!/bin/sh
# Builds, on the Unix side, the trees the walk tests need that Wine cannot make itself:
# links, names ending in a dot or a space, folders right at the search path limit.
set -eu
root=$1
rm -rf "$root"
mkdir -p "$root"

put() {
  mkdir -p "${1%/*}"
  printf 'x' >"$1"
}

# A link back to the top of the tree, an absolute link to a folder inside it, a link to a file.
loop=$root/loop
put "$loop/top.yml"
put "$loop/a/mid.yml"
put "$loop/a/b/deep.yml"
ln -s ../.. "$loop/a/b/up"
ln -s "$loop/a" "$loop/again"
ln -s top.yml "$loop/link.yml"

# Names that test how an extension matches (GBK on the Windows side: 中 D6D0, 昞 955C).
names=$root/names
for name in a.yml A.YML a.yml.bak a.b.yml ayml a. noext 'a.yml ' 'a. yml' 'a.yml.' a.ymlx \
  longname.ymlxyz verylongname.yml a.json .hidden.yml .yml 'b .yml' a.txt YML 中.yml 昞.yml \
  a.中 中 x.y?l; do
  put "$names/$name"
done
mkdir -p "$names/x.json" "$names/昞"
put "$names/sub/c.YmL"
put "$names/sub/c.ymlx"
put "$names/昞/d.yml"

# Folders whose text (with its final "\") is 248..262 bytes long on the Windows side, where
# the searches of some extensions pass the path limit and others do not; the same with ten
# two-byte characters in the name, where bytes and characters part ways.
deep=$root/deep
mkdir -p "$deep"
base=$((${#deep} + 4)) # "Z:" + path + "\" before the name, "\" after it
[ $((248 - base)) -gt 20 ] || { echo "build folder path too long for the deep fixture" >&2; exit 1; }
for total in 248 249 250 251 252 253 254 255 256 257 258 259 260 261 262; do
  name=$(printf "%0$((total - base))d" 0)
  for file in a.yml b.ymlx c.json noext s/e.yml; do put "$deep/$name/$file"; done
  wide=$(printf "%0$((total - base - 20))d" 0)中中中中中中中中中中
  for file in a.yml b.ymlx s/e.yml; do put "$deep/$wide/$file"; done
done
for total in 263 265 268 270 271 272; do
  wide=$(printf "%0$((total - base - 20))d" 0)中中中中中中中中中中
  for file in a.yml b.ymlx s/e.yml; do put "$deep/$wide/$file"; done
done

# A tree of 210 folders for timing the walk.
for i in 0 1 2 3 4 5 6 7 8 9 10 11 12 13; do
  for j in 0 1 2 3 4 5 6 7 8 9 10 11 12 13; do
    mkdir -p "$root/many/f$i/g$j"
    for file in a.yml b.txt c.json d.lang e.png; do printf 'x' >"$root/many/f$i/g$j/$file"; done
  done
done

#!/bin/sh
# The per-file loop a Linux admin writes for the same job, run natively: ask uchardet for each
# file's charset, and rewrite the files it calls GB-something as UTF-8 through a temporary file.
#   shell_loop.sh FOLDER
find "$1" -type f \( -iname '*.yml' -o -iname '*.txt' -o -iname '*.json' -o -iname '*.lang' \) |
  while IFS= read -r file; do
    case $(uchardet "$file") in
    GB*) iconv -f GBK -t UTF-8 "$file" >"$file.converting" && mv "$file.converting" "$file" ;;
    esac
  done

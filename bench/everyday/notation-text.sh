#!/bin/bash
# Makes a text dense with notations for timing the everyday reading: the
# inputs of the everyday case tables (numbers, dates, units, money, Roman
# numerals, abbreviations, addresses, foreign words), one to a line, as code
# page 1251, repeated up to 1 MB (in1m.txt) and 100 KB (in100k.txt).
# Usage: notation-text.sh DIR; then
#   VOKDAR_BENCH_DATA=DIR build/bench/vokdar-microbench --benchmark_filter=BM_Firstread
set -euo pipefail
dir=$1
here=$(dirname "$0")
mkdir -p "$dir"
# The first quoted field of each row of code page 1251 text ("…", not u"…").
for f in "$here"/../../tests/data/firstread/everyday_*.cases; do
    LC_ALL=C sed -n 's/^"\([^"]*\)"  .*/\1/p' "$f"
done | iconv -f UTF-8 -t CP1251 -c > "$dir/lines.txt"
for size in 102400:in100k 1048576:in1m; do
    bytes=${size%%:*}
    name=${size##*:}
    : > "$dir/$name.tmp"
    while [ "$(stat -c %s "$dir/$name.tmp")" -lt "$bytes" ]; do cat "$dir/lines.txt" >> "$dir/$name.tmp"; done
    head -c "$bytes" "$dir/$name.tmp" | LC_ALL=C sed '$d' > "$dir/$name.txt"
    rm -f "$dir/$name.tmp"
done
rm -f "$dir/lines.txt"

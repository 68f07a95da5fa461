#!/bin/bash
# Vowel agreement of the dictionary pass with espeak-ng on prose kept aside
# from the dictionary's word sources:
#   fortunes:  every 10th fortunes-ru file (tools/dictgen/fortunes.sh names
#              them: 2001.03 2002.01 2002.11 M$ b2 drink fomenko ill murphy
#              sympathy), literary prose of about 50,000 words
#   festvox:   the festvox-ru corpus sentences whose number ends in 0
#              (literary, about 900 words)
#   technical: the Debian FAQ in Russian (debian-faq-ru)
# Usage: bash bench/vowels.sh [BUILD_DIR] [DICTIONARY...]
# Each dictionary (default: the generated BUILD_DIR/replace.txt and the
# hand-written data/replace.txt) is measured on each text.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
dicts=("$@")
[ ${#dicts[@]} -gt 0 ] || dicts=("$build/replace.txt" "$root/data/replace.txt")

cmake --build "$build" -j2 --target vokdar-stage vokdar-vowels >/dev/null
stage="$build/bench/vokdar-stage"
vowels="$build/bench/vokdar-vowels"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

festvox=/usr/share/festival/voices/russian/msu_ru_nsh_clunits/etc/txt.done.data
faq=/usr/share/doc/debian/FAQ/debian-faq.ru.txt.gz
for f in "$festvox" "$faq"; do
    [ -r "$f" ] || { echo "vowels.sh: $f is missing (festvox-ru, debian-faq-ru)" >&2; exit 1; }
done
# shellcheck source=tools/dictgen/fortunes.sh
source "$root/tools/dictgen/fortunes.sh"
measured=$(fortunes_files measured)
[ "$(echo "$measured" | grep -c .)" = 10 ] || { echo "vowels.sh: fortunes-ru is missing or not as expected" >&2; exit 1; }
# shellcheck disable=SC2086
cat $measured > "$work/fortunes.txt"
# The held-out sentences: numbers ending in 0, stress marks "+" removed.
sed -n 's/^( ru_[0-9]*0 "\(.*\)" )$/\1/p' "$festvox" | tr -d '+' > "$work/festvox.txt"
zcat "$faq" > "$work/technical.txt"

for dict in "${dicts[@]}"; do
    echo "== $dict ($(grep -c '' "$dict") lines, $(stat -c %s "$dict") bytes)"
    for text in fortunes festvox technical; do
        d="$work/$text"
        mkdir -p "$d"
        cp "$work/$text.txt" "$d/in.txt"
        cp "$dict" "$d/replace.txt"
        (cd "$d" && "$stage" firstread in.txt >/dev/null && "$stage" secondread >/dev/null)
        printf '%-10s ' "$text:"
        "$vowels" "$d/text.tmp" "$d/text2.tmp" "${SHOW:-0}"
    done
done

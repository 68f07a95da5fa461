#!/bin/bash
# Makes the default replace.txt with dictgen: the word forms of hunspell-ru
# (expanded by unmunch), ranked by the words of fortunes-ru, manpages-ru and
# the festvox-ru sentences, with the hand-written entries of data/replace.txt
# kept where the generated ones leave their keys free. Kept for measuring and
# never read: every 10th fortunes-ru file (fortunes.sh names them) and the
# festvox-ru sentences whose number ends in 0.
# Beside OUTPUT it leaves stress_endings.inc, the stress rule's ending table
# learned with it (src/slogi/ keeps a copy; see tools/CMakeLists.txt).
# Usage: make-dictionary.sh DICTGEN HAND_DICTIONARY OUTPUT
set -euo pipefail
dictgen=$1
hand=$2
out=$3
hunspell=/usr/share/hunspell/ru_RU
man=/usr/share/man/ru
festvox=/usr/share/festival/voices/russian/msu_ru_nsh_clunits/etc/txt.done.data

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# unmunch compares an affix's condition byte by byte and takes at most 8 of
# them: in UTF-8 every reflexive verb form (-лся, -ется …) and the present of
# the -овать verbs (-ует) are lost. In code page 1251 a letter is one byte and
# every condition fits.
iconv -f utf-8 -t cp1251 "$hunspell.dic" > "$work/ru.dic"
sed 's/^SET UTF-8/SET microsoft-cp1251/' "$hunspell.aff" | iconv -f utf-8 -t cp1251 > "$work/ru.aff"
unmunch "$work/ru.dic" "$work/ru.aff" 2>/dev/null | iconv -f cp1251 -t utf-8 > "$work/forms.txt"
# shellcheck source=tools/dictgen/fortunes.sh
source "$(dirname "$0")/fortunes.sh"
fortunes_ranking_text > "$work/fortunes.txt"
find "$man" -name '*.gz' | LC_ALL=C sort | xargs zcat -f > "$work/man.txt"
"$dictgen" --forms "$work/forms.txt" --text "$work/fortunes.txt" --text "$work/man.txt" \
    --festvox "$festvox" --hand "$hand" --out "$work/replace.txt" \
    --stress-table "$work/stress_endings.inc" >/dev/null
mv "$work/stress_endings.inc" "$(dirname "$out")/stress_endings.inc"
mv "$work/replace.txt" "$out"

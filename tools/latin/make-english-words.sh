#!/bin/bash
# Makes the table of English words the everyday reading says in Russian
# letters ("stable" → стейбл, "times" → таймс): the words of the Debian word
# list (wamerican), phonemized by espeak-ng's English voice and mapped to
# Russian letters by english.awk, sorted into one block of "word<TAB>reading"
# lines compiled into the program. Without the word list or espeak-ng the
# block is empty and Latin words go by the reader's spelling rules alone.
# Usage: make-english-words.sh OUTPUT.cpp
set -euo pipefail
out=$1
here=$(dirname "$0")
words=/usr/share/dict/american-english

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: > "$work/table.txt"
if command -v espeak-ng >/dev/null && [ -r "$words" ]; then
    # The words in small letters only: names ("Ivan", "Anna") in a Russian
    # text are more often European than English and go by the reader's rules,
    # brands by its hand list; abbreviations in capitals are spelled.
    LC_ALL=C grep -E '^[a-z]{2,40}$' "$words" > "$work/words.txt" || true
    # One word to a line in, one line of phonemes out.
    sed 's/$/./' "$work/words.txt" | espeak-ng -v en-us -q -x > "$work/phonemes.txt"
    if [ "$(wc -l < "$work/words.txt")" = "$(wc -l < "$work/phonemes.txt")" ]; then
        paste "$work/words.txt" "$work/phonemes.txt" | LC_ALL=C awk -f "$here/english.awk" |
            LC_ALL=C awk -f "$here/letters.awk" |
            iconv -f utf-8 -t cp1251 | LC_ALL=C sort -t "$(printf '\t')" -k1,1 -u > "$work/table.txt"
    else
        echo "make-english-words.sh: espeak-ng gave no line for some words: an empty table" >&2
    fi
else
    echo "make-english-words.sh: espeak-ng or the word list missing: an empty table" >&2
fi

{
    echo "// Generated at build time by tools/latin/make-english-words.sh from the"
    echo "// Debian word list and espeak-ng's English phonemes; not edited by hand."
    echo '#include "firstread/everyday/english_words.h"'
    echo
    echo "const char ENGLISH_WORDS[] ="
    LC_ALL=C awk -f "$here/../cblock.awk" "$work/table.txt"
    echo '    "";'
    echo "const std::size_t ENGLISH_WORDS_BYTES = sizeof ENGLISH_WORDS - 1;"
} > "$work/out.cpp"
mv "$work/out.cpp" "$out"

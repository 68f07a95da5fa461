#!/bin/bash
# Makes the table of feminine nouns the everyday reading agrees numerals with
# ("21 книга", "1 ночь"): hunspell-ru's word forms, expanded by unmunch, sorted
# into two blocks of lines compiled into the program. Without hunspell-ru or
# unmunch the blocks are empty and the reading goes by endings alone.
# Usage: make-feminine-nouns.sh OUTPUT.cpp
set -euo pipefail
out=$1
here=$(dirname "$0")
hunspell=/usr/share/hunspell/ru_RU

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: > "$work/nouns.txt"
if command -v unmunch >/dev/null && [ -r "$hunspell.dic" ] && [ -r "$hunspell.aff" ]; then
    # In code page 1251 a letter is one byte: unmunch's conditions see every letter.
    iconv -f utf-8 -t cp1251 "$hunspell.dic" > "$work/ru.dic"
    sed 's/^SET UTF-8/SET microsoft-cp1251/' "$hunspell.aff" | iconv -f utf-8 -t cp1251 > "$work/ru.aff"
    unmunch "$work/ru.dic" "$work/ru.aff" 2>/dev/null > "$work/forms.txt"
    LC_ALL=C awk -f "$here/feminine.awk" "$work/forms.txt" | LC_ALL=C sort -u > "$work/nouns.txt"
else
    echo "make-feminine-nouns.sh: hunspell-ru or unmunch missing: an empty table" >&2
fi

# One C string literal per word.
block() {
    LC_ALL=C awk -v kind="$1" '$1 == kind { print $2 }' "$work/nouns.txt" | LC_ALL=C awk -f "$here/../cblock.awk"
}
{
    echo "// Generated at build time by tools/nouns/make-feminine-nouns.sh from"
    echo "// hunspell-ru's word forms; not edited by hand."
    echo '#include "firstread/everyday/feminine_nouns.h"'
    echo
    echo "const char FEMININE_STEMS[] ="
    block F
    echo '    "";'
    echo "const std::size_t FEMININE_STEMS_BYTES = sizeof FEMININE_STEMS - 1;"
    echo
    echo "const char FEMININE_SOFT_NOUNS[] ="
    block S
    echo '    "";'
    echo "const std::size_t FEMININE_SOFT_NOUNS_BYTES = sizeof FEMININE_SOFT_NOUNS - 1;"
} > "$work/out.cpp"
mv "$work/out.cpp" "$out"

#!/bin/bash
# The share of a held-out set the everyday reading reads right, by category:
# share.sh VOKDAR-STAGE SET.tsv [--wrong]. A row is right when its words and
# their forms match what a Russian reader says; the program's own spellings of
# numerals ("двацать", "пятцот", "милион") and doubled letters are folded on
# both sides first, as is punctuation.
set -euo pipefail
export LC_ALL=C.UTF-8
stage=$(realpath "$1")
set_file=$(realpath "$2")
show_wrong=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fold() {
    sed -e 's/ё/е/g' -e 's/[].,:;!?[`#«»"()–—-]/ /g' -e 's/\(.\)\1/\1/g' \
        -e 's/двацат/двадцат/g; s/трицат/тридцат/g; s/натцат/надцат/g; s/пятдесят/пятьдесят/g' \
        -e 's/тристо/триста/g; s/четыресто/четыреста/g; s/пятцот/пятьсот/g; s/шесот/шестьсот/g' \
        -e 's/семсот/семьсот/g; s/восемсот/восемьсот/g; s/девятцот/девятьсот/g; s/шеснадцат/шестнадцат/g' \
        -e 's/  */ /g; s/^ //; s/ $//'
}

declare -A right total
while IFS=$'\t' read -r category text expected; do
    [[ -z "$category" || "$category" == \#* ]] && continue
    printf '%s' "$text" > in.txt
    "$stage" firstread in.txt > /dev/null < /dev/null
    got=$(iconv -f cp1251 -t utf-8 text.tmp | fold)
    want=$(printf '%s' "$expected" | fold)
    total[$category]=$(( ${total[$category]:-0} + 1 ))
    if [[ "$got" == "$want" ]]; then
        right[$category]=$(( ${right[$category]:-0} + 1 ))
    elif [[ "$show_wrong" == --wrong ]]; then
        printf '  %s: %s\n    read: %s\n    said: %s\n' "$category" "$text" "$got" "$want"
    fi
done < "$set_file"

all_right=0
all=0
for category in $(printf '%s\n' "${!total[@]}" | sort); do
    r=${right[$category]:-0}
    t=${total[$category]}
    all_right=$((all_right + r))
    all=$((all + t))
    printf '%-10s %3d of %3d  %3d%%\n' "$category" "$r" "$t" $((100 * r / t))
done
printf '%-10s %3d of %3d  %3d%%\n' all "$all_right" "$all" $((100 * all_right / all))

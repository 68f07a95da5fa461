#!/bin/sh
# vokdar.exe under wine and the Linux vokdar, given the same texts, voice,
# dictionary and settings, must write the same text.tmp, text2.tmp, slogi.tmp
# and rech.wav byte for byte, and print the same (CR LF aside).
#   same_bytes.sh LINUX_BUILD_DIR WINDOWS_EXE SOURCE_DIR
# LINUX_BUILD_DIR holds the Linux vokdar, its voice torvy/ and replace.txt.
set -eu

linux_build=$(cd "$1" && pwd)
exe=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
source=$(cd "$3" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/vokdar-same-bytes-XXXXXX")
trap '[ "$failed" -eq 0 ] && rm -rf "$work"' EXIT
export WINEDEBUG=-all LC_ALL=C
failed=0
# A wine prefix made or updated on its first use says so: not in a comparison.
wine "$exe" -h > /dev/null 2>&1 < /dev/null || true

# Runs one side in its directory: "linux" or "windows", then the arguments.
run() {
    side=$1
    shift
    # A failed run ends with status 1 on both sides: the status is compared, not fatal.
    status=0
    if [ "$side" = linux ]; then
        setsid -w "$linux_build/vokdar" "$@" < /dev/null > out.txt 2>&1 || status=$?
    else
        setsid -w wine "$exe" "$@" < /dev/null > out.raw 2>&1 || status=$?
        tr -d '\r' < out.raw > out.txt
        rm -f out.raw
    fi
    echo "$status" >> status.txt
}

# prepare NAME TEXT_FILE CONFIG: a directory per side holding the text, the
# dictionary, the voice and, unless CONFIG is empty, vokdar.cfg.
prepare() {
    for side in linux windows; do
        d="$work/$1/$side"
        mkdir -p "$d"
        cp "$2" "$d/in.txt"
        cp "$linux_build/replace.txt" "$d/replace.txt"
        ln -s "$linux_build/torvy" "$d/torvy"
        [ -z "$3" ] || printf "$3" > "$d/vokdar.cfg"
    done
}

same() {
    if ! cmp "$work/$1/linux/$2" "$work/$1/windows/$2"; then
        echo "FAIL $1: $2 differs"
        failed=1
    fi
}

check_case() {
    name=$1
    for side in linux windows; do
        # First with rech.wav taken by a directory: the sound stage fails and
        # the stage files stay; then the whole run.
        (cd "$work/$name/$side" && mkdir rech.wav && run "$side" in.txt && mv out.txt failed.txt &&
            mkdir kept && mv text.tmp text2.tmp slogi.tmp kept/ && rmdir rech.wav && run "$side" in.txt)
    done
    for file in kept/text.tmp kept/text2.tmp kept/slogi.tmp rech.wav failed.txt out.txt status.txt; do
        same "$name" "$file"
    done
    echo "checked $name: $(wc -c < "$work/$name/linux/rech.wav") bytes of rech.wav"
}

# A prose text in code page 1251 with CR LF line ends, at the default settings.
prepare prose "$source/tests/data/firstread/prose.in" ""
check_case prose
# The same text slow and soft with a short stutter, then fast and loud.
prepare slow "$source/tests/data/firstread/prose.in" '37\n0.7\n2.5\ntorvy\n'
check_case slow
prepare fast "$source/tests/data/firstread/prose.in" '200\n4\n21\ntorvy\n'
check_case fast
# Numbers, fractions, symbols and lone letters, in UTF-8.
printf '%s\n\n%s\n' \
    'В 1987 году 3,5 млн. человек; 2/3 из них — 45,07%% (№ 12, § 4). Ё-моё: a, b, c!' \
    'Итого: 1 000 001 руб. и 0,001 коп.? 7 + 8 = 15; -273,15 °C... Я, ты, он — мы.' \
    > "$work/numbers.txt"
prepare numbers "$work/numbers.txt" '120\n2.5\n12\ntorvy\n'
check_case numbers

# A text named in Cyrillic, longer than the 19 characters the old program
# took: the name reaches the wide file calls whole, whatever the ANSI code
# page, and the speech is that of the same text under a plain name. Wine
# maps names to the Unix side in the locale's character set: UTF-8 here.
cyrillic='Сказка о рыбаке и рыбке, глава первая.txt'
prepare cyrillic "$work/numbers.txt" '120\n2.5\n12\ntorvy\n'
mv "$work/cyrillic/windows/in.txt" "$work/cyrillic/windows/$cyrillic"
(cd "$work/cyrillic/windows" &&
    LC_ALL=C.UTF-8 setsid -w wine "$exe" "$cyrillic" < /dev/null > out.raw 2>&1) || true
(cd "$work/cyrillic/linux" && run linux in.txt)
same cyrillic rech.wav

# vokdar-dict sorting a dictionary in place: the default one with its entries
# in reverse order.
mkdir -p "$work/dict/linux" "$work/dict/windows"
end=$(grep -n '^[$]' "$linux_build/replace.txt" | head -n 1 | cut -d: -f1)
{ head -n $((end - 1)) "$linux_build/replace.txt" | tac; tail -n +"$end" "$linux_build/replace.txt"; } \
    > "$work/dict/reversed.txt"
cp "$work/dict/reversed.txt" "$work/dict/linux/replace.txt"
cp "$work/dict/reversed.txt" "$work/dict/windows/replace.txt"
# Sorted to standard output (the dictionary's bytes, its CR LF kept), then in place.
dict_exe="${exe%vokdar.exe}vokdar-dict.exe"
(cd "$work/dict/linux" && setsid -w "$linux_build/vokdar-dict" sort replace.txt > sorted.txt 2> out.txt < /dev/null &&
    setsid -w "$linux_build/vokdar-dict" sort replace.txt -o replace.txt >> out.txt 2>&1 < /dev/null) || true
(cd "$work/dict/windows" && setsid -w wine "$dict_exe" sort replace.txt > sorted.txt 2> out.raw < /dev/null &&
    setsid -w wine "$dict_exe" sort replace.txt -o replace.txt >> out.raw 2>&1 < /dev/null) || true
tr -d '\r' < "$work/dict/windows/out.raw" > "$work/dict/windows/out.txt"
if cmp -s "$work/dict/windows/replace.txt" "$work/dict/reversed.txt"; then
    echo "FAIL dict: the dictionary was not sorted in place"
    failed=1
fi
same dict sorted.txt
same dict replace.txt
same dict out.txt

# The help text.
mkdir -p "$work/help/linux" "$work/help/windows"
for side in linux windows; do
    (cd "$work/help/$side" && run "$side" -h)
done
same help out.txt

[ "$failed" -eq 0 ] && echo "vokdar.exe and vokdar wrote the same bytes"
exit "$failed"

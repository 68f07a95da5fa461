#!/usr/bin/env bash
# Time to first audio with -p: vokdar speaks a text with its player fed while
# the speech is made; a stand-in player (named aplay, first on PATH) notes
# the moment its first sample bytes arrive. Prints, for each text, the median
# over RUNS runs of the time from vokdar's start to the player's first
# samples, and of vokdar's whole run, side by side. With more than one build
# directory, their runs take turns, so a busy machine weighs on each alike.
# The longer texts (0.7 MB, and a book of 9 MB: hours of speech) are stopped
# once their first samples are heard: only their time to first audio is
# measured (BOOK_RUNS runs, default 3).
#   bash bench/first_audio.sh [BUILD_DIR [OTHER_BUILD_DIR...]]   (default: build; RUNS=7)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
builds=()
for b in "${@:-$root/build}"; do builds+=("$(cd "$b" && pwd)"); done
runs=${RUNS:-7}
work=$(mktemp -d "${TMPDIR:-/tmp}/vokdar-first-audio-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
# The header, then the first 2048 sample bytes: their arrival is noted.
cat > "$work/bin/aplay" <<'PLAYER'
#!/bin/sh
head -c 2092 > /dev/null
date +%s%N > "$FIRST_AUDIO_NOTE"
cat > /dev/null
PLAYER
chmod 755 "$work/bin/aplay"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# measure NAME TEXT_FILE [RUNS [STOP]]: each build's runs in turn, then each
# one's medians; with STOP, vokdar is stopped once the player hears it.
measure() {
    local n d
    local -a firsts wholes
    for n in "${!builds[@]}"; do
        d="$work/$1/$n"
        mkdir -p "$d"
        cp "$2" "$d/in.txt"
        ln -sf "${builds[$n]}/replace.txt" "$d/replace.txt"
        ln -sf "${builds[$n]}/torvy" "$d/torvy"
        printf '100\r\n3.000000\r\n10.000000\r\ntorvy\r\n' > "$d/vokdar.cfg"
        firsts[$n]=""
        wholes[$n]=""
    done
    for _ in $(seq "${3:-$runs}"); do
        for n in "${!builds[@]}"; do
            d="$work/$1/$n"
            rm -f "$d/first"
            start=$(date +%s%N)
            (cd "$d" && FIRST_AUDIO_NOTE="$d/first" PATH="$work/bin:$PATH" XDG_CONFIG_HOME="$work/none" \
                exec "${builds[$n]}/vokdar" in.txt -p < /dev/null > /dev/null 2>&1) &
            if [ -n "${4:-}" ]; then
                until [ -s "$d/first" ]; do sleep 0.01; done
                kill "$!"
                wait "$!" || true
            else
                wait "$!"
            fi
            end=$(date +%s%N)
            firsts[$n]="${firsts[$n]} $(( ($(cat "$d/first") - start) / 1000000 ))"
            wholes[$n]="${wholes[$n]} $(( (end - start) / 1000000 ))"
        done
    done
    for n in "${!builds[@]}"; do
        printf '%-28s first audio %5s ms   whole run %6s ms   (%s bytes of text, median of %s)%s\n' "$1" \
            "$(printf '%s\n' ${firsts[$n]} | median)" \
            "$([ -n "${4:-}" ] && echo - || printf '%s\n' ${wholes[$n]} | median)" \
            "$(wc -c < "$2")" "${3:-$runs}" "$([ ${#builds[@]} -gt 1 ] && echo "  ${builds[$n]}")"
    done
}

printf 'Мама мыла раму.\n' > "$work/sentence.txt"
measure "one sentence" "$work/sentence.txt"
measure "samples/sample.txt" "$root/samples/sample.txt"
for _ in $(seq 30); do cat "$root/samples/sample.txt"; done > "$work/article.txt"
measure "an article (30 samples)" "$work/article.txt"
for _ in $(seq 10); do cat "$work/article.txt"; done > "$work/book.txt"
measure "a long text (300 samples)" "$work/book.txt"
rm -rf "$work/a long text (300 samples)"
for _ in $(seq 1000); do cat "$root/samples/sample.txt"; done > "$work/long.txt"
measure "a longer text (1000 samples)" "$work/long.txt" "${BOOK_RUNS:-3}" stop
for _ in $(seq 43); do cat "$work/book.txt"; done > "$work/whole-book.txt"
measure "a book (12900 samples)" "$work/whole-book.txt" "${BOOK_RUNS:-3}" stop

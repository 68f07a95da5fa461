#!/usr/bin/env bash
# Time to first audio with -p: vokdar speaks a text with its player fed while
# the speech is made; a stand-in player (named aplay, first on PATH) notes
# the moment its first sample bytes arrive. Prints, for each text, the median
# over RUNS runs of the time from vokdar's start to the player's first
# samples, and of vokdar's whole run, side by side.
#   bash bench/first_audio.sh [BUILD_DIR]     (default: build; RUNS=7)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
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

# measure NAME TEXT_FILE
measure() {
    local d="$work/$1" firsts="" wholes=""
    mkdir -p "$d"
    cp "$2" "$d/in.txt"
    ln -sf "$build/replace.txt" "$d/replace.txt"
    ln -sf "$build/torvy" "$d/torvy"
    printf '100\r\n3.000000\r\n10.000000\r\ntorvy\r\n' > "$d/vokdar.cfg"
    for _ in $(seq "$runs"); do
        rm -f "$d/first"
        start=$(date +%s%N)
        (cd "$d" && FIRST_AUDIO_NOTE="$d/first" PATH="$work/bin:$PATH" XDG_CONFIG_HOME="$work/none" \
            "$build/vokdar" in.txt -p < /dev/null > /dev/null 2>&1)
        end=$(date +%s%N)
        firsts="$firsts $(( ($(cat "$d/first") - start) / 1000000 ))"
        wholes="$wholes $(( (end - start) / 1000000 ))"
    done
    printf '%-28s first audio %5s ms   whole run %6s ms   (%s bytes of text, median of %s)\n' "$1" \
        "$(printf '%s\n' $firsts | median)" "$(printf '%s\n' $wholes | median)" "$(wc -c < "$2")" "$runs"
}

printf 'Мама мыла раму.\n' > "$work/sentence.txt"
measure "one sentence" "$work/sentence.txt"
measure "samples/sample.txt" "$root/samples/sample.txt"
for _ in $(seq 30); do cat "$root/samples/sample.txt"; done > "$work/article.txt"
measure "an article (30 samples)" "$work/article.txt"

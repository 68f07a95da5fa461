#!/usr/bin/env bash
# The voice benchmark: speaks the text of every held-out sentence of the
# festvox-ru corpus (those whose number ends in 0; no recording of the voice
# is cut from them) with the built vokdar, and measures each rendering
# against the natural recording by MCD-DTW (bench/mcd.cpp). Prints one line
# per sentence and the median.
#
#   bash bench/voice.sh              the default voice, torvy/
#   VOICE=robot bash bench/voice.sh  the espeak-ng voice
#
# Tuning is done on other sentences, never on the held-out ones: a voice cut
# with the sentences ending in 5 kept out of its sources, measured on them:
#   build/tools/voicegen --corpus CORPUS --keep-out 5 /tmp/tune
#   VOICE=/tmp/tune SENTENCES=5 bash bench/voice.sh
#
# Environment: VOKDAR_BENCH_BUILD (build directory, default build-bench),
# VOKDAR_CORPUS (the corpus directory), VOICE (voice directory name in the
# build directory, default torvy, or a path to one), SENTENCES (the last
# digit of the sentences measured, default 0: the held-out ones), JOBS
# (sentences at once, default 2), KEEP (a directory to keep each rech.wav in,
# as ru_NNNN.wav). sox converts to 16 kHz without dither (-D), so the same
# voice gives the same figures on every run.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(realpath -m "${VOKDAR_BENCH_BUILD:-$root/build-bench}")"
corpus="${VOKDAR_CORPUS:-/usr/share/festival/voices/russian/msu_ru_nsh_clunits}"
voice="${VOICE:-torvy}"
jobs="${JOBS:-2}"
keep="${KEEP:-}"
digit="${SENTENCES:-0}"
case "$digit" in [0-9]) ;; *) echo "bench: SENTENCES is one digit"; exit 1 ;; esac

for tool in sox; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is missing (see tools/packages.txt)"; exit 1; }
done
[ -s "$corpus/etc/txt.done.data" ] || { echo "bench: no corpus in $corpus (Debian package festvox-ru)"; exit 1; }

echo "== Building in $build" >&2
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOKDAR_TESTS=OFF >/dev/null
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j2 --target vokdar vokdar-mcd voice >/dev/null
case "$voice" in
*/*) voice_dir="$(realpath -m "$voice")" ;;
*) voice_dir="$build/$voice" ;;
esac
[ -d "$voice_dir" ] || { echo "bench: no voice $voice_dir"; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
[ -z "$keep" ] || mkdir -p "$keep"

# The sentences measured (by default the held-out ones): id and text, stress
# marks dropped.
LC_ALL=C sed -n 's/^( *\(ru_[0-9]*'"$digit"'\) *"\(.*\)" *) *$/\1 \2/p' "$corpus/etc/txt.done.data" |
    tr -d '+' > "$work/list"
[ -s "$work/list" ] || { echo "bench: no sentences ending in $digit in $corpus/etc/txt.done.data"; exit 1; }

# One sentence: id, then its text on stdin. Prints "id mcd".
one() {
    local id="$1" d="$work/$1"
    mkdir -p "$d" && cd "$d"
    cat > in.txt
    cp "$build/replace.txt" replace.txt
    ln -s "$voice_dir" voice
    printf '100\r\n3.000000\r\n10.000000\r\nvoice\r\n' > vokdar.cfg
    "$build/vokdar" in.txt < /dev/null > log.txt 2>&1 || true
    if [ ! -s rech.wav ] || grep -q 'has failed!' log.txt; then
        echo "$id failed" && return
    fi
    [ -z "$keep" ] || cp rech.wav "$keep/$id.wav"
    sox -D rech.wav -t raw -e signed -b 16 -c 1 -r 16000 synth.raw
    sox -D "$corpus/wav/$id.wav" -t raw -e signed -b 16 -c 1 -r 16000 natural.raw
    echo "$id $("$build/bench/vokdar-mcd" synth.raw natural.raw)"
    cd / && rm -rf "$d"
}
export -f one
export work build voice_dir corpus keep

while read -r id text; do
    printf '%s\0%s\0' "$id" "$text"
done < "$work/list" |
    xargs -0 -n2 -P"$jobs" bash -c 'printf "%s\n" "$2" | one "$1"' _ | LC_ALL=C sort > "$work/results"

cat "$work/results"
if grep -q ' failed$' "$work/results"; then
    echo "bench: some sentences were not spoken" >&2
    exit 1
fi
median="$(LC_ALL=C awk '{print $2}' "$work/results" | LC_ALL=C sort -g |
    LC_ALL=C awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}')"
what="held-out sentences"
[ "$digit" = 0 ] || what="sentences ending in $digit"
echo "voice $voice: $(wc -l < "$work/results") $what, median MCD-DTW $median dB"

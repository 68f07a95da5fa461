#!/usr/bin/env bash
# How much of the voice measure's cost of moving the pitch is the way the
# overlap-add moves it: speaks every sentence (numbers ending in SENTENCES) with
# VOICE, which carries an intonation table, and with the same voice without
# it (PLAIN, a directory: VOICE's recordings and pitch marks, no
# intonation.txt), then has praat's own overlap-add give the plain rendering
# the intoned rendering's pitch contour (bench/overlap_add.praat; both
# renderings have the same length). Prints per sentence and as medians the
# MCD-DTW of the plain rendering, of vokdar's intoned one and of praat's.
#
#   VOICE=/tmp/tune PLAIN=/tmp/tune-plain SENTENCES=5 bash bench/overlap_add.sh
#
# Environment as bench/voice.sh, and PLAIN.
bench_tools="sox praat"
bench_targets="vokdar-mcd"
source "$(dirname "${BASH_SOURCE[0]}")/corpus.sh"
export plain="$(realpath -m "${PLAIN:?PLAIN names the voice without intonation}")"

one() {
    ln -s "$plain" plain
    speak "$1" 100 3.000000 10.000000 plain 1 || { echo "$1 failed" && return; }
    mv rech.wav plain.wav
    speak "$1" 100 3.000000 10.000000 voice 1 || { echo "$1 failed" && return; }
    praat --run "$root/bench/overlap_add.praat" "$PWD/plain.wav" "$PWD/rech.wav" "$PWD/praat.wav" >/dev/null 2>&1 ||
        { echo "$1 failed" && return; }
    sox -D "$corpus/wav/$1.wav" -t raw -e signed -b 16 -c 1 -r 16000 natural.raw
    local figures=""
    for w in plain rech praat; do
        sox -D "$w.wav" -t raw -e signed -b 16 -c 1 -r 16000 "$w.raw"
        figures="$figures $("$build/bench/vokdar-mcd" "$w.raw" natural.raw)"
    done
    echo "$1$figures"
}
run_sentences
echo "voice $voice: $(wc -l < "$work/results") $what, median MCD-DTW plain $(median 2), vokdar $(median 3), praat $(median 4) dB"

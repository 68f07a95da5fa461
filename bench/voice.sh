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
bench_tools="sox"
bench_targets="vokdar-mcd"
source "$(dirname "${BASH_SOURCE[0]}")/corpus.sh"

one() {
    speak "$1" 100 3.000000 10.000000 voice || { echo "$1 failed" && return; }
    sox -D rech.wav -t raw -e signed -b 16 -c 1 -r 16000 synth.raw
    sox -D "$corpus/wav/$1.wav" -t raw -e signed -b 16 -c 1 -r 16000 natural.raw
    echo "$1 $("$build/bench/vokdar-mcd" synth.raw natural.raw)"
}
run_sentences
echo "voice $voice: $(wc -l < "$work/results") $what, median MCD-DTW $(median 2) dB"

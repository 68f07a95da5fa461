#!/usr/bin/env bash
# The prosody benchmark: speaks the text of every held-out sentence of the
# festvox-ru corpus (numbers ending in 0) with the built vokdar in the
# everyday reading and measures its rhythm and intonation against the
# speaker's own recording of it (bench/prosody.cpp, pitch from praat through
# bench/f0.praat). Prints one line per sentence (the nine figures of
# vokdar-prosody) and the median of each over the sentences:
#   stress   stressed ÷ unstressed vowel length (the speaker's in brackets)
#   time     speech time ÷ the speaker's
#   corr     F0 contour correlation with the speaker's
#   error    F0 error in semitones, each sentence's mean removed
#   steps    95th percentile of the pitch step between voiced 10 ms frames
#   range    pitch range, 5th to 95th percentile, in semitones
#   lone     the vowel of a one-letter word ("и" "а" "у" "о"), mean per
#            sentence in ms (the speaker's in brackets)
#
#   bash bench/prosody.sh              the default voice, torvy/
#   VOICE=robot bash bench/prosody.sh  the espeak-ng voice
#
# Tune on other sentences, never on the held-out ones: a voice cut with the
# sentences ending in 5 kept out of its sources, measured on them:
#   build/tools/voicegen --corpus CORPUS --keep-out 5 /tmp/tune
#   VOICE=/tmp/tune SENTENCES=5 bash bench/prosody.sh
#
# Environment as bench/voice.sh (VOKDAR_BENCH_BUILD, VOKDAR_CORPUS, VOICE,
# SENTENCES, JOBS, KEEP), and SPEED (the speed setting, default 100).
bench_tools="sox praat"
bench_targets="vokdar-prosody"
source "$(dirname "${BASH_SOURCE[0]}")/corpus.sh"
export speed="${SPEED:-100}"

one() {
    speak "$1" "$speed" 3.000000 10.000000 voice 1 || { echo "$1 failed" && return; }
    sox -D rech.wav -t raw -e signed -b 16 -c 1 -r 16000 synth.raw
    sox -D "$corpus/wav/$1.wav" -t raw -e signed -b 16 -c 1 -r 16000 natural.raw
    praat --run "$root/bench/f0.praat" "$PWD/rech.wav" "$PWD/synth.f0" >/dev/null 2>&1
    praat --run "$root/bench/f0.praat" "$corpus/wav/$1.wav" "$PWD/natural.f0" >/dev/null 2>&1
    echo "$1 $("$build/bench/vokdar-prosody" synth.raw natural.raw synth.f0 natural.f0 "$corpus/lab/$1.lab" in.txt)"
}
run_sentences
ms() { if [ "$1" = nan ]; then echo nan; else LC_ALL=C awk -v s="$1" 'BEGIN {print 1000 * s}'; fi; }
echo "voice $voice: $(wc -l < "$work/results") $what, medians:"
printf '  stress %.2f (speaker %.2f)  time %.2f  corr %.2f  error %.2f st  steps %.2f st (speaker %.2f)  range %.1f st (speaker %.1f)  lone %.0f ms (speaker %.0f)\n' \
    "$(median 2)" "$(median 3)" "$(median 4)" "$(median 5)" "$(median 6)" "$(median 7)" "$(median 8)" "$(median 9)" "$(median 10)" \
    "$(ms "$(median 11)")" "$(ms "$(median 12)")"

#!/usr/bin/env bash
# The whole-chain benchmark: builds vokdar, makes reproducible inputs from
# Debian's fortunes-ru (about 100 KB, 1 MB and 4 MB of code page 1251 text)
# and dictionaries of 1, 1,000 and 10,000 entries, then prints per-stage
# times, characters per second, the real-time factor and peak memory (medians
# of several runs), espeak-ng on the same text, and the time of merely
# writing as many bytes as rech.wav holds; the ratios at the end. Each run's
# outputs are checked against a saved reference run.
#
#   bash bench/run.sh                    all of it
#   bash bench/run.sh --save-reference   and keep these outputs' checksums as the reference
#
# Environment: VOKDAR_BENCH_BUILD (build directory, default build-bench),
# RUNS (runs per figure, default 3), SIZES (default "100k 1m 4m"; 250k is known too),
# ESPEAK_SIZES (texts espeak-ng speaks, default "100k"), MICRO=0 skips the
# Google Benchmark programs. VOKDAR_BENCH_BEFORE names a directory holding the
# vokdar, vokdar-stage (and vokdar-microbench) of an earlier build: each of its
# runs is timed right after the same run of this build, and the table shows
# both, so that a change is measured against its past in one run.
# VOKDAR_BENCH_VOICE names another voice directory (one cut with
# `voicegen --intonation`, say): this build's stage and chain runs are each
# followed by the same run speaking with that voice in place of torvy/, in a
# working directory of its own, and the table shows it as the row SIZE-voice
# (its outputs are not checked against the reference).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VOKDAR_BENCH_BUILD:-$root/build-bench}"
runs="${RUNS:-3}"
sizes="${SIZES:-100k 1m 4m}"
espeak_sizes="${ESPEAK_SIZES:-100k}"
save_reference=0
[ "${1:-}" = "--save-reference" ] && save_reference=1

for tool in /usr/bin/time espeak-ng iconv sha256sum; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is missing (see tools/packages.txt)"; exit 1; }
done

echo "== Building in $build"
# The tests are not needed here; an existing build directory keeps its choice.
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j2 --target vokdar vokdar-stage vokdar-microbench voice >/dev/null
stage="$build/bench/vokdar-stage"
before="${VOKDAR_BENCH_BEFORE:-}"
other_voice="${VOKDAR_BENCH_VOICE:-}"
if [ -n "$other_voice" ]; then
    [ -d "$other_voice" ] || { echo "bench: $other_voice is no voice directory"; exit 1; }
    other_voice="$(cd "$other_voice" && pwd)"
fi
if [ -n "$before" ]; then
    for tool in vokdar vokdar-stage; do
        [ -x "$before/$tool" ] || { echo "bench: $before/$tool is missing"; exit 1; }
    done
fi
data="$build/bench-data"
work="$build/bench-work"
reference="$build/bench-reference.sha256"
mkdir -p "$data" "$work"
ln -sfn "$build/torvy" "$data/torvy"

bytes_of() { case "$1" in 100k) echo 102400 ;; 250k) echo 256000 ;; 1m) echo 1048576 ;; 4m) echo 4194304 ;; esac; }

# The texts: every fortune file in name order, as code page 1251, repeated
# until long enough, cut at the last whole line within the size.
make_text() {
    local size="$1" want all="$data/all.txt"
    want="$(bytes_of "$size")"
    [ -s "$data/in$size.txt" ] && return
    if [ ! -s "$all" ]; then
        local f
        for f in $(ls /usr/share/games/fortunes/ru/ | grep -v '\.\(dat\|u8\)$' | LC_ALL=C sort); do
            iconv -f UTF-8 -t CP1251//TRANSLIT "/usr/share/games/fortunes/ru/$f" 2>/dev/null || true
        done > "$all"
    fi
    : > "$data/in$size.tmp"
    while [ "$(stat -c %s "$data/in$size.tmp")" -lt "$want" ]; do cat "$all" >> "$data/in$size.tmp"; done
    head -c "$want" "$data/in$size.tmp" | LC_ALL=C sed '$d' > "$data/in$size.txt"
    rm -f "$data/in$size.tmp"
    iconv -f CP1251 -t UTF-8 "$data/in$size.txt" > "$data/in$size.utf8"
}

# Dictionaries of the most frequent words of the 1 MB text after Firstread:
# whole-word entries (о read as а), every tenth an ending entry of the word's
# last three letters. Sorted by bytes, which is the dictionary's own order
# for small Cyrillic letters.
make_dicts() {
    [ -s "$data/dict10000.txt" ] && return
    local d="$work/dictwords"
    rm -rf "$d" && mkdir -p "$d" && cp "$data/in1m.txt" "$d/in.txt"
    (cd "$d" && "$stage" firstread in.txt >/dev/null)
    LC_ALL=C grep -o $'[\xe0-\xff]\\+' "$d/text.tmp" | LC_ALL=C sort | LC_ALL=C uniq -c |
        LC_ALL=C sort -k1,1nr -k2 | LC_ALL=C awk '{print $2}' > "$d/words"
    local n
    for n in 1 1000 10000; do
        head -n "$n" "$d/words" | LC_ALL=C awk '{
                w = $0
                if (NR % 10 == 0 && length(w) > 3) { w = substr(w, length(w) - 2); kind = "%" } else kind = "_"
                r = w; gsub(/\356/, "\340", r)
                print w "*" kind r "*!"
            }' | LC_ALL=C sort > "$data/dict$n.txt"
        printf '$\n' >> "$data/dict$n.txt"
    done
    rm -rf "$d"
}

median() { LC_ALL=C sort -g | LC_ALL=C awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# timed NAME CMD...: runs CMD in the current directory under /usr/bin/time and
# appends "wall cpu rss_kb" to NAME.times.
timed() {
    local name="$1"; shift
    /usr/bin/time -f '%e %U %S %M' -o "$name.t" "$@" </dev/null >/dev/null 2>&1 ||
        { echo "bench: $* failed in $(pwd)"; exit 1; }
    LC_ALL=C awk '{printf "%.3f %.3f %d\n", $1, $2 + $3, $4}' "$name.t" >> "$name.times"
}
col() { LC_ALL=C awk -v c="$2" '{print $c}' "$1.times" | median; }

echo "== Inputs in $data"
for s in $sizes 1m; do make_text "$s"; done
make_dicts
cp "$build/replace.txt" "$data/replace.txt"

# output_sums SIZE: the checksums of the inputs and outputs in the current
# directory. Past 4 GiB the header's size fields are the maximum (older builds
# wrapped them): the samples are compared, the header is the tests' job.
output_sums() {
    local f
    for f in in.txt replace.txt text.tmp text2.tmp slogi.tmp; do
        echo "$1 $f $(sha256sum < "$f" | cut -d' ' -f1)"
    done
    if [ "$(stat -c %s rech.wav)" -gt $((4294967295 + 8)) ]; then
        echo "$1 rech.wav-samples $(tail -c +45 rech.wav | sha256sum | cut -d' ' -f1)"
    else
        echo "$1 rech.wav $(sha256sum < rech.wav | cut -d' ' -f1)"
    fi
}

status=0
sums="$work/outputs.sha256"
: > "$sums"
sums_before="$work/outputs-before.sha256"
: > "$sums_before"
table="$work/table.txt"
: > "$table"
for s in $sizes; do
    w="$work/$s"
    rm -rf "$w" && mkdir -p "$w" && cd "$w"
    cp "$data/in$s.txt" in.txt
    cp "$data/replace.txt" replace.txt
    ln -s "$data/torvy" torvy
    wv="$work/$s-voice"
    if [ -n "$other_voice" ]; then
        rm -rf "$wv" && mkdir -p "$wv"
        cp in.txt replace.txt "$wv/"
        ln -s "$other_voice" "$wv/torvy"
    fi
    echo "== $s: $runs runs of each stage, then of the whole chain"
    for ((r = 0; r < runs; r++)); do
        # The earlier build first, so this build's outputs stay for the check.
        if [ -n "$before" ]; then
            timed firstread_before "$before/vokdar-stage" firstread in.txt
            timed secondread_before "$before/vokdar-stage" secondread
            timed slogi_before "$before/vokdar-stage" slogi
            rm -f rech.wav; sync
            timed zvuki_before "$before/vokdar-stage" zvuki
            [ "$r" != 0 ] || output_sums "$s" >> "$sums_before"
        fi
        timed firstread "$stage" firstread in.txt
        timed secondread "$stage" secondread
        timed slogi "$stage" slogi
        rm -f rech.wav; sync
        timed zvuki "$stage" zvuki
        if [ -n "$other_voice" ]; then
            (
                cd "$wv"
                timed firstread "$stage" firstread in.txt
                timed secondread "$stage" secondread
                timed slogi "$stage" slogi
                rm -f rech.wav; sync
                timed zvuki "$stage" zvuki
            )
        fi
    done
    # The outputs of the stage runs, checked against the reference.
    output_sums "$s" >> "$sums"
    wav_bytes="$(stat -c %s rech.wav)"
    # The limit: the same bytes in the same 256 KiB writes as the sound stage
    # makes, into a new file on the same disk, through the page cache as vokdar
    # writes (no fsync for either). Timed between the chain's runs, so that
    # both meet the same state of the machine.
    # Each run starts with the written files of the ones before deleted and
    # synced away: a run that met gigabytes of another's pages still waiting
    # for the disk would be throttled for them.
    settle() { rm -f rech.wav limit.bin; sync; }
    for ((r = 0; r < runs; r++)); do
        if [ -n "$before" ]; then
            settle
            timed chain_before "$before/vokdar" in.txt
        fi
        settle
        timed chain "$build/vokdar" in.txt
        if [ -n "$other_voice" ]; then
            (cd "$wv" && settle && timed chain "$build/vokdar" in.txt)
        fi
        settle
        timed limit dd if=/dev/zero of=limit.bin bs=262144 count=$((wav_bytes / 262144)) status=none
    done
    settle
    espeak_rtf="-"
    if [[ " $espeak_sizes " == *" $s "* ]]; then
        for ((r = 0; r < runs; r++)); do
            timed espeak espeak-ng -v ru -f "$data/in$s.utf8" -w espeak.wav
        done
        espeak_audio="$(LC_ALL=C awk -v b="$(stat -c %s espeak.wav)" 'BEGIN {print (b - 44) / 44100}')"
        # espeak-ng writes 16-bit mono at 22050 Hz as well; its rate read from its header.
        espeak_rate="$(od -An -tu4 -j24 -N4 espeak.wav | tr -d ' ')"
        espeak_audio="$(LC_ALL=C awk -v b="$(stat -c %s espeak.wav)" -v r="$espeak_rate" 'BEGIN {print (b - 44) / (2 * r)}')"
        espeak_rtf="$(LC_ALL=C awk -v a="$espeak_audio" -v c="$(col espeak 2)" 'BEGIN {printf "%.1f", a / c}')"
        rm -f espeak.wav
    fi
    chars="$(stat -c %s in.txt)"
    audio="$(LC_ALL=C awk -v b="$wav_bytes" 'BEGIN {print (b - 44) / 44100}')"
    row() {
        local label="$1" x="$2"
        printf '%s %s %s %s %s %s %s %s %s %s %s %s %s %s %s %s\n' "$label" "$chars" "$audio" \
            "$(col firstread$x 1)" "$(col secondread$x 1)" "$(col slogi$x 1)" "$(col zvuki$x 1)" \
            "$(col chain$x 1)" "$(col chain$x 2)" "$(col limit 1)" "$espeak_rtf" \
            "$(col firstread$x 3)" "$(col secondread$x 3)" "$(col slogi$x 3)" "$(col zvuki$x 3)" "$(col chain$x 3)" >> "$table"
    }
    [ -z "$before" ] || row "$s-before" _before
    row "$s" ""
    rm -f rech.wav
    if [ -n "$other_voice" ]; then
        cp limit.times "$wv/"
        (
            cd "$wv"
            wav_bytes="$(stat -c %s rech.wav)"
            audio="$(LC_ALL=C awk -v b="$wav_bytes" 'BEGIN {print (b - 44) / 44100}')"
            row "$s-voice" ""
            rm -f rech.wav
        )
    fi
done

echo
echo "== Results (median of $runs runs; wall seconds; CPU = user + system)"
LC_ALL=C awk '
    BEGIN {
        printf "%-12s %9s %10s %8s %8s %8s %8s %8s %8s %11s %9s %9s %8s %6s %8s %8s\n",
            "text", "chars", "audio s", "first", "second", "slogi", "zvuki", "chain", "chainCPU",
            "chars/s", "RTF", "espeakRTF", "limit", "RSS MB", "xEspeak", "xLimit"
    }
    {
        rss = $12; for (i = 13; i <= 16; i++) if ($i > rss) rss = $i
        rtf = $3 / $9
        xe = ($11 == "-") ? "-" : sprintf("%.1f", rtf / $11)
        printf "%-12s %9d %10.0f %8.3f %8.3f %8.3f %8.3f %8.3f %8.3f %11.0f %9.0f %9s %8.3f %6.1f %8s %8.2f\n",
            $1, $2, $3, $4, $5, $6, $7, $8, $9, $2 / $8, rtf, $11, $10, rss / 1024, xe, $8 / $10
    }' "$table"
echo "RTF: seconds of audio per CPU second of the whole chain. xEspeak: our RTF / espeak-ng's."
echo "limit: dd writing rech.wav's byte count in 256 KiB writes. xLimit: chain wall time / limit."
[ -z "$before" ] || echo "NAME-before: the build in $before, timed in the same run."
[ -z "$other_voice" ] || echo "NAME-voice: this build speaking with the voice $other_voice, timed in the same run."
echo "RSS: peak resident memory of the stages and the chain, the largest."

if [ "${MICRO:-1}" != 0 ]; then
    echo
    echo "== Micro-benchmarks"
    VOKDAR_BENCH_DATA="$data" "$build/bench/vokdar-microbench" --benchmark_repetitions="$runs" \
        --benchmark_report_aggregates_only=true 2>/dev/null | grep -v '_mean\|_stddev\|_cv' | tee "$work/micro.txt"
    # The dictionary's cost: Secondread with 10,000 entries against 1 entry,
    # per run of the 100 KB text (which reads the dictionary once) and per word
    # of the 1 MB text (earlier builds measured the first only).
    secondread_ratios() {
        LC_ALL=C awk '{sub(/_median$/, "", $1)}
            $1 ~ /BM_Secondread\/(entries:)?1(\/1m:0)?$/ {w1 = $2; c1 = $4}
            $1 ~ /BM_Secondread\/(entries:)?10000(\/1m:0)?$/ {w = $2; c = $4}
            $1 ~ /BM_Secondread\/entries:1\/1m:1$/ {W1 = $2; C1 = $4}
            $1 ~ /BM_Secondread\/entries:10000\/1m:1$/ {W = $2; C = $4}
            END {
                if (w1 > 0) printf "Secondread 10,000 entries / 1 entry, 100 KB text: %.2fx wall, %.2fx CPU\n", w / w1, c / c1
                if (W1 > 0) printf "Secondread 10,000 entries / 1 entry, 1 MB text:   %.2fx wall, %.2fx CPU\n", W / W1, C / C1
            }' "$1"
    }
    secondread_ratios "$work/micro.txt"
    if [ -n "$before" ] && [ -x "$before/vokdar-microbench" ]; then
        echo "-- the build in $before:"
        VOKDAR_BENCH_DATA="$data" "$before/vokdar-microbench" --benchmark_filter=Secondread --benchmark_repetitions="$runs" \
            --benchmark_report_aggregates_only=true 2>/dev/null | grep -v '_mean\|_stddev\|_cv' | tee "$work/micro-before.txt"
        secondread_ratios "$work/micro-before.txt"
    fi
fi

echo
if [ -n "$before" ]; then
    if diff "$sums_before" "$sums" >/dev/null; then
        echo "== Outputs: identical to those of the build in $before"
    else
        echo "== Outputs: DIFFERENT from those of the build in $before:"
        diff "$sums_before" "$sums" || true
        status=1
    fi
fi
if [ "$save_reference" = 1 ]; then
    # Sizes not run this time keep their reference lines.
    touch "$reference"
    { grep -v -F -f <(cut -d" " -f1 "$sums" | sort -u | sed "s/$/ /") "$reference" || true; cat "$sums"; } > "$reference.new"
    mv "$reference.new" "$reference"
    echo "== Outputs saved as the reference: $reference"
elif [ -s "$reference" ]; then
    # Only the sizes both this run and the reference have are compared.
    both="$work/sizes.both"
    comm -12 <(cut -d" " -f1 "$sums" | sort -u) <(cut -d" " -f1 "$reference" | sort -u) | sed "s/$/ /" > "$both"
    for s in $(comm -23 <(cut -d" " -f1 "$sums" | sort -u) <(cut -d" " -f1 "$reference" | sort -u)); do
        echo "== Outputs of $s: no reference yet (bash bench/run.sh --save-reference)"
    done
    grep -F -f "$both" "$reference" > "$work/reference.now" || true
    grep -F -f "$both" "$sums" > "$work/sums.now" || true
    reference="$work/reference.now"
    sums="$work/sums.now"
    if [ ! -s "$both" ]; then
        :
    elif diff <(sort "$reference") <(sort "$sums") >/dev/null; then
        echo "== Outputs: identical to the reference run"
    elif ! diff <(grep -v '\.tmp\|rech\.wav' "$reference" | sort) <(grep -v '\.tmp\|rech\.wav' "$sums" | sort) >/dev/null; then
        echo "== Outputs: the reference was made from other inputs; not compared"
    else
        echo "== Outputs: DIFFERENT from the reference run:"
        diff <(sort "$reference") <(sort "$sums") || true
        status=1
    fi
else
    echo "== Outputs: no reference yet (bash bench/run.sh --save-reference)"
fi
exit "$status"

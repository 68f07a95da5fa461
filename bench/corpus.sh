# What bench/voice.sh and bench/prosody.sh share, sourced by them: the
# settings from the environment, the build, the voice, the list of corpus
# sentences measured, the run over them and the median of a column.
#
# The caller sets bench_tools (programs that must be on PATH) and
# bench_targets (what to build), sources this file, defines one() (id as its
# argument, the sentence's text on stdin; prints "id figures..." or "id
# failed"; it runs in a fresh directory of its own holding in.txt, the
# dictionary, the voice as "voice" and vokdar.cfg, where speak() runs vokdar),
# then calls run_sentences.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(realpath -m "${VOKDAR_BENCH_BUILD:-$root/build-bench}")"
corpus="${VOKDAR_CORPUS:-/usr/share/festival/voices/russian/msu_ru_nsh_clunits}"
voice="${VOICE:-torvy}"
jobs="${JOBS:-2}"
keep="${KEEP:-}"
digit="${SENTENCES:-0}"
case "$digit" in [0-9]) ;; *) echo "bench: SENTENCES is one digit"; exit 1 ;; esac

for tool in $bench_tools; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is missing (see tools/packages.txt)"; exit 1; }
done
[ -s "$corpus/etc/txt.done.data" ] || { echo "bench: no corpus in $corpus (Debian package festvox-ru)"; exit 1; }

echo "== Building in $build" >&2
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOKDAR_TESTS=OFF >/dev/null
cmake -S "$root" -B "$build" >/dev/null
# shellcheck disable=SC2086
cmake --build "$build" -j2 --target vokdar voice $bench_targets >/dev/null
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

# Speaks in.txt in the current directory with the lines of vokdar.cfg given
# (speed, volume, stutter, voice "voice", then any more); false when no
# rech.wav came. Keeps a copy of it as $keep/id.wav when KEEP is set.
speak() {
    local id="$1"
    shift
    printf '%s\r\n' "$@" > vokdar.cfg
    "$build/vokdar" in.txt < /dev/null > log.txt 2>&1 || true
    [ -s rech.wav ] && ! grep -q 'has failed!' log.txt || return 1
    [ -z "$keep" ] || cp rech.wav "$keep/$id.wav"
}

# Runs one() on every sentence, JOBS at a time, into $work/results, sorted;
# fails when a sentence was not spoken.
run_sentences() {
    export -f one speak
    export work build voice_dir corpus keep root
    local id text
    while read -r id text; do
        printf '%s\0%s\0' "$id" "$text"
    done < "$work/list" |
        xargs -0 -n2 -P"$jobs" bash -c '
            d="$work/$1"; mkdir -p "$d" && cd "$d" && printf "%s\n" "$2" > in.txt &&
            cp "$build/replace.txt" replace.txt && ln -s "$voice_dir" voice && one "$1"
            cd / && rm -rf "$d"' _ | LC_ALL=C sort > "$work/results"
    cat "$work/results"
    if grep -q ' failed$' "$work/results"; then
        echo "bench: some sentences were not spoken" >&2
        exit 1
    fi
    what="held-out sentences"
    [ "$digit" = 0 ] || what="sentences ending in $digit"
}

# The median of column c of the results over the sentences where it is a number.
median() {
    LC_ALL=C awk -v c="$1" '$c != "nan" && $c != "-nan" {print $c}' "$work/results" | LC_ALL=C sort -g |
        LC_ALL=C awk '{v[NR] = $1} END {if (!NR) print "nan"; else print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}

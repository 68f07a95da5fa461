#!/bin/sh
# Runs the built vokdar under valgrind memcheck: a full chain over a real text
# of a few kilobytes, the setup dialogue, the help, and failing runs. Exit
# status 1 when memcheck reports an error or a leak in any of them, or a run
# ends with another status than it should.
#
#   tools/valgrind.sh [build-dir]      default: build
#
# The default voice and dictionary of the build directory (torvy/, replace.txt)
# are used when present; otherwise a small synthetic voice is made.
set -u

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
case $build in /*) ;; *) build=$root/$build ;; esac
vokdar=$build/vokdar
command -v valgrind >/dev/null 2>&1 || { echo "valgrind.sh: valgrind is not installed" >&2; exit 2; }
[ -x "$vokdar" ] || { echo "valgrind.sh: no program at $vokdar (build it first)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/vokdar-valgrind-XXXXXX")
trap 'rm -rf "$work"' EXIT
# The setup dialogue writes the user's settings when the folder has none:
# here that user's configuration is a folder of the run's own.
XDG_CONFIG_HOME=$work/config
export XDG_CONFIG_HOME

if [ -d "$build/torvy" ] && [ -f "$build/replace.txt" ]; then
    ln -s "$build/torvy" "$work/torvy"
    cp "$build/replace.txt" "$work/replace.txt"
    voice="the default voice of $build"
else
    # Every consonant with every vowel, every single letter, "#" and "1":
    # recordings of 600 to 3000 samples of noise.
    mkdir "$work/torvy"
    i=0
    for c in b v g d z k l m n p r s t f h c x w @ '!' y; do
        for v in a e i o u j '$' % q '~'; do
            i=$((i + 1))
            head -c $((1200 + (i % 9) * 500)) /dev/urandom >"$work/torvy/$c$v.pcm"
        done
    done
    for s in a b v g d e '~' '!' z i y k l m n o p r s t u f h c x w @ j "'" '$' % q '#' 1; do
        i=$((i + 1))
        head -c $((600 + (i % 7) * 300)) /dev/urandom >"$work/torvy/$s.pcm"
    done
    printf '\xf7\xf2\xee*_\xf8\xf2\xee*!\r\n$\r\n' >"$work/replace.txt"  # что* → што*
    voice="a synthetic voice"
fi
# A real text: the prose of the tests, with numbers, symbols and paragraphs.
cat "$root/tests/data/firstread/prose.in" "$root/tests/fuzz/corpus/firstread/prose.txt" >"$work/text.txt"

failed=0
# run WHAT STATUS ARGS...: vokdar with ARGS must end with STATUS (a failed
# run says so by its status) and memcheck must find nothing.
run() {
    what=$1
    expect=$2
    shift 2
    log=$work/valgrind.log
    (cd "$work" && valgrind -q --error-exitcode=99 --leak-check=full --track-origins=yes \
        --log-file="$log" "$vokdar" "$@" </dev/null >"$work/out.txt" 2>&1)
    status=$?
    if [ $status -eq "$expect" ] && [ ! -s "$log" ]; then
        echo "clean:  $what"
    else
        echo "ERRORS: $what (status $status, expected $expect)"
        cat "$log"
        failed=1
    fi
}

echo "vokdar under memcheck with $voice, text of $(wc -c <"$work/text.txt") bytes"
run "full chain over text.txt" 0 text.txt
[ -s "$work/rech.wav" ] || { echo "ERRORS: the chain left no rech.wav"; failed=1; }
echo "        rech.wav: $(wc -c <"$work/rech.wav") bytes"
printf '150\n2.5\n12\ntorvy\n' >"$work/answers"
(cd "$work" && valgrind -q --error-exitcode=1 --leak-check=full --log-file="$work/valgrind.log" \
    "$vokdar" -s <"$work/answers" >/dev/null 2>&1)
if [ $? -eq 0 ] && [ ! -s "$work/valgrind.log" ]; then echo "clean:  setup dialogue"; else
    echo "ERRORS: setup dialogue"; cat "$work/valgrind.log"; failed=1; fi
run "full chain with the settings just written" 0 text.txt
run "help" 0 -h
run "a missing text, standard input closed" 1 missing.txt
mv "$work/replace.txt" "$work/replace.off"
run "a run without replace.txt" 1 text.txt
exit $failed

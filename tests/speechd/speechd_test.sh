#!/bin/sh
# sd_vokdar in a real speech-dispatcher: cmake --install into a fresh prefix,
# the server started in a private configuration (tests/speechd/server.sh) with
# the installed module and configuration, and every message checked against
# what the library itself makes of it, byte for byte, from what ALSA captured.
# Usage: speechd_test.sh BUILD_DIR
set -eu
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
expect="$build/speechd_expect"
tmp=$(mktemp -d)
server=
cleanup() {
    speechd_stop
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM
fail() {
    echo "FAILED: $*"
    for f in "$tmp"/log/*; do
        [ -f "$f" ] && { echo "--- $f"; tail -20 "$f"; }
    done
    exit 1
}
. "$here/server.sh"

cmake --install "$build" --prefix "$tmp/prefix" > "$tmp/install.log" || { cat "$tmp/install.log"; fail "install failed"; }
conf=$(find "$tmp/prefix" -name vokdar.conf -path '*speech-dispatcher/modules*')
module=$(find "$tmp/prefix" -name sd_vokdar -path '*speech-dispatcher-modules*')
[ -n "$conf" ] && [ -n "$module" ] || fail "the speech-dispatcher module was not installed"
data="$tmp/prefix/share/vokdar"
grep -qx "VokdarDataDir \"$data\"" "$conf" || fail "vokdar.conf does not name the installed data: $(grep VokdarDataDir "$conf")"

speechd_start "$tmp/sd" "$module" "$conf" || fail "speech-dispatcher did not start"
spd-say -O | grep -qx vokdar || fail "speech-dispatcher lists no module vokdar"
spd-say -o vokdar -L | grep -q 'torvy.*ru' || fail "the module lists no voice torvy: $(spd-say -o vokdar -L)"

# say NAME SPD-SAY-ARGUMENTS...: the message's audio into $tmp/NAME.raw.
say() {
    name=$1
    shift
    before=$(played_size)
    timeout 60 spd-say -w -o vokdar -l ru "$@" || fail "spd-say $* failed"
    after=$(played_size)
    tail -c +$((before + 1)) "$played" | head -c $((after - before)) > "$tmp/$name.raw"
    [ "$after" -gt "$before" ] || fail "nothing was played for spd-say $*"
}
# expected NAME RATE VOLUME TEXT: the library's speech of TEXT into
# $tmp/NAME.expected, as the server plays it (at its fixed audio volume).
expected() {
    "$expect" played "$data/torvy" "$data/replace.txt" "$2" "$3" "$4" > "$tmp/$1.expected" ||
        fail "the library could not speak $4"
}
# same NAME WHAT: the message played as the library speaks it.
same() {
    cmp -s "$tmp/$1.raw" "$tmp/$1.expected" ||
        fail "$2: $(wc -c < "$tmp/$1.raw") bytes played, not the library's $(wc -c < "$tmp/$1.expected")"
}
measure() {
    "$expect" measure "$tmp/$1.raw"
}

message="Мама мыла раму."
say plain "$message"
expected plain 0 100 "$message"
same plain "a message"

# Rate: slower is longer, faster shorter, at the same pitch.
for rate in -50 50; do
    say "rate$rate" -r "$rate" "$message"
    expected "rate$rate" "$rate" 100 "$message"
    same "rate$rate" "rate $rate"
done
set -- $(measure rate-50) $(measure plain) $(measure rate50)
[ "$1" -gt "$4" ] && [ "$4" -gt "$7" ] || fail "durations at rate -50, 0, 50: $1, $4, $7 samples"
for f0 in "$3" "$9"; do
    [ $((f0 * 100)) -ge $(($6 * 90)) ] && [ $((f0 * 100)) -le $(($6 * 110)) ] ||
        fail "pitch at rate -50, 0, 50: $3, $6, $9 Hz"
done

# Volume: 0 is half the default loudness (+100).
say quiet -i 0 "$message"
expected quiet 0 0 "$message"
same quiet "volume 0"
set -- $(measure quiet) $(measure plain)
[ $(($2 * 10)) -ge $(($5 * 4)) ] && [ $(($2 * 10)) -le $(($5 * 6)) ] || fail "RMS at volume 0 and 100: $2, $5"

# Punctuation "all" says the marks; a character and a key by their names.
say marks -m all "Да, нет."
expected marks 0 100 "Да запятая, нет точка."
same marks "punctuation all"
say char -c "б"
expected char 0 100 "бэ"
same char "the character б"
say key -k space
expected key 0 100 "пробел"
same key "the key space"

# STOP in a long message: the audio ends long before the message would, and
# the next message plays whole. (ALSA's file plugin writes what it is given in
# buffers of its own: the file shows when audio was played only roughly.)
long=$(cat "$here/../../samples/sample.txt" "$here/../../samples/sample.txt" | iconv -f cp1251 -t utf-8)
before=$(played_size)
timeout 60 spd-say -w -o vokdar -l ru "$long" &
speaker=$!
sleep 0.5
spd-say -C
wait "$speaker" || true
stopped=$(($(played_size) - before))
# Under four seconds of about a minute and a half.
[ "$stopped" -lt $((4 * 44100)) ] || fail "$stopped bytes were played of a message stopped after half a second"
say after "$message"
cp "$tmp/plain.expected" "$tmp/after.expected"
same after "the message after STOP"

# A hundred messages in a row: the same one module, nothing left behind.
listing() {
    find "$tmp/sd" -path "$tmp/sd/log" -prune -o ! -name played.raw -print | sort
}
modules() {
    grep -l "^PPid:[[:space:]]*$server\$" /proc/[0-9]*/status 2>/dev/null | cut -d/ -f3 | sort
}
listing > "$tmp/files.before"
module_pid=$(modules)
[ -n "$module_pid" ] || fail "no module process runs"
n=0
while [ "$n" -lt 100 ]; do
    n=$((n + 1))
    timeout 30 spd-say -w -o vokdar -l ru "Да." || fail "message $n failed"
done
listing > "$tmp/files.after"
cmp -s "$tmp/files.before" "$tmp/files.after" || fail "files changed: $(diff "$tmp/files.before" "$tmp/files.after")"
[ "$(modules)" = "$module_pid" ] || fail "module processes: $(modules), was $module_pid"
echo "sd_vokdar passed: message, rate, volume, punctuation, character, key, STOP, 100 messages"

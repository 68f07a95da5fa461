#!/bin/sh
# Latency of sd_vokdar in a real speech-dispatcher, from the server's own log
# (microsecond timestamps; the private server of tests/speechd/server.sh):
#   first audio: from the server handing the module SPEAK to the server
#   sending the module's first block of samples to its audio output, for COUNT
#   one-sentence messages after one to warm up; median and worst;
#   stop: from the server handing the module STOP during a long message to the
#   module's STOP event, five times; median and worst.
# Usage: sh bench/speechd.sh BUILD_DIR [COUNT]
set -eu
build=$(cd "$1" && pwd)
count=${2:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
server=
trap 'speechd_stop; rm -rf "$tmp"' EXIT
trap 'exit 1' HUP INT TERM
. "$root/tests/speechd/server.sh"

cmake --install "$build" --prefix "$tmp/prefix" > /dev/null
module=$(find "$tmp/prefix" -name sd_vokdar -path '*speech-dispatcher-modules*')
conf=$(find "$tmp/prefix" -name vokdar.conf -path '*speech-dispatcher/modules*')
SPEECHD_LOGLEVEL=5 speechd_start "$tmp/sd" "$module" "$conf"
log="$tmp/sd/log/speech-dispatcher.log"

i=0
while [ "$i" -le "$count" ]; do
    [ "$i" -gt 0 ] || : > "$log.warm"
    spd-say -w -o vokdar -l ru "Мама мыла раму."
    [ "$i" -gt 0 ] || wc -l < "$log" > "$log.warm"
    i=$((i + 1))
done
warm=$(cat "$log.warm")
measured=$(wc -l < "$log")
long=$(cat "$root/samples/sample.txt" | iconv -f cp1251 -t utf-8)
stops=0
while [ "$stops" -lt 5 ]; do
    spd-say -w -o vokdar -l ru "$long" &
    speaker=$!
    sleep 0.3
    spd-say -C
    wait "$speaker" || true
    stops=$((stops + 1))
done

# Milliseconds between a line matching FROM and the next one matching TO,
# in lines START to END of the log, one figure per line.
intervals() {
    sed -n "$1,$2p" "$log" | awk -v from="$3" -v to="$4" '
        /^\[/ {
            split($0, f, /[][ :]+/)   # [Tue Dec  8 15:59:56 2026 : 969762]
            t = f[5] * 3600 + f[6] * 60 + f[7] + f[9] / 1e6
        }
        index($0, from) { start = t; waiting = 1 }
        waiting && index($0, to) { printf "%.2f\n", (t - start) * 1000; waiting = 0 }'
}
summary() {
    sort -n | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print "no figures"; exit }
        printf "median %.1f ms, worst %.1f ms over %d\n", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2), v[NR], NR }'
}
echo "SPEAK to first audio block: $(intervals "$warm" "$measured" "Command sent to output module: |SPEAK" "samples to audio." | summary)"
echo "STOP to the module's STOP: $(intervals "$measured" '$' "Module stop!" "|703 STOP" | summary)"

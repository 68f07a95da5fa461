#!/bin/sh
# vokdar as a speech-dispatcher voice, end to end: cmake --install into a fresh
# prefix, a real speech-dispatcher started in a private configuration with the
# installed module, and its audio output replaced by a player that writes the
# file it is given. spd-say's message must come out as vokdar's speech of it,
# the private working directory must be gone, and the time from spd-say to
# the first audio is printed.
# Usage: speechd_test.sh BUILD_DIR
set -eu
build=$1
tmp=$(mktemp -d)
server=
cleanup() {
    [ -z "$server" ] || kill "$server" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
    echo "$*"
    [ ! -f "$tmp/log/speech-dispatcher.log" ] || tail -20 "$tmp/log/speech-dispatcher.log"
    [ ! -f "$tmp/log/vokdar.log" ] || tail -20 "$tmp/log/vokdar.log"
    exit 1
}

cmake --install "$build" --prefix "$tmp/prefix" > "$tmp/install.log" || { cat "$tmp/install.log"; fail "install failed"; }
conf=$(find "$tmp/prefix" -name vokdar.conf -path '*speech-dispatcher/modules*')
module=$(find "$tmp/prefix" -name sd_vokdar)
[ -n "$conf" ] && [ -n "$module" ] || fail "the speech-dispatcher module was not installed"

# The private configuration: only vokdar's module, audio through ALSA's null
# device (which any machine has) with aplay, the play command of that output,
# replaced by one that keeps the file and the moment it began.
mkdir -p "$tmp/conf/modules" "$tmp/log" "$tmp/home" "$tmp/bin" "$tmp/run" "$tmp/msgtmp"
cp "$conf" "$tmp/conf/modules/vokdar.conf"
cat > "$tmp/conf/speechd.conf" <<EOF
LogLevel 3
LogDir "$tmp/log"
DefaultModule vokdar
DefaultLanguage "ru"
AudioOutputMethod "alsa"
AudioALSADevice "null"
EOF
cat > "$tmp/bin/aplay" <<EOF
#!/bin/sh
date +%s%N > "$tmp/played.start"
for f; do :; done
cp "\$f" "$tmp/played.wav"
EOF
chmod +x "$tmp/bin/aplay"

env HOME="$tmp/home" XDG_CONFIG_HOME= XDG_DATA_HOME= XDG_DATA_DIRS="$tmp/none" \
    TMPDIR="$tmp/msgtmp" PATH="$tmp/bin:$PATH" \
    speech-dispatcher -s -t 0 -C "$tmp/conf" -m "$(dirname "$module")" -L "$tmp/log" \
    -c unix_socket -S "$tmp/run/socket" -P "$tmp/run/pid" > "$tmp/log/server.out" 2>&1 &
server=$!
export SPEECHD_ADDRESS="unix_socket:$tmp/run/socket"
i=0
while [ ! -S "$tmp/run/socket" ]; do
    i=$((i + 1))
    [ "$i" -lt 200 ] || fail "speech-dispatcher did not start"
    kill -0 "$server" 2>/dev/null || fail "speech-dispatcher ended at its start"
    sleep 0.05
done
spd-say -O | grep -qx vokdar || fail "speech-dispatcher lists no module vokdar"

message="Мама мыла раму."
start=$(date +%s%N)
timeout 60 spd-say -w -o vokdar -l ru "$message" || fail "spd-say failed"
[ -f "$tmp/played.wav" ] || fail "nothing was played"

# The same message spoken by the installed vokdar directly.
mkdir "$tmp/direct"
printf '\357\273\277%s' "$message" > "$tmp/direct/message.txt"
(cd "$tmp/direct" && env HOME="$tmp/home" XDG_CONFIG_HOME= XDG_DATA_HOME= XDG_DATA_DIRS="$tmp/none" \
    "$tmp/prefix/bin/vokdar" message.txt < /dev/null > /dev/null 2>&1)
cmp "$tmp/played.wav" "$tmp/direct/rech.wav" || fail "what was played is not vokdar's speech of the message"
bytes=$(wc -c < "$tmp/played.wav")
[ "$bytes" -gt 20000 ] || fail "only $bytes bytes were played"
[ -z "$(ls -A "$tmp/msgtmp")" ] || fail "the message's working directory was left: $(ls -A "$tmp/msgtmp")"

echo "spd-say to first audio: $(( ($(cat "$tmp/played.start") - start) / 1000000 )) ms; $bytes bytes of speech"

# Sourced by the speech-dispatcher test and benchmark: a private
# speech-dispatcher with sd_vokdar as its only module, in its own configuration
# directory, socket, log and HOME, whose .asoundrc makes the default ALSA
# device the file plugin over the null device, so everything the server plays
# is captured in $played (raw 16-bit mono at 22050 Hz) with no sound card.
#   speechd_start TMP MODULE CONF   sets server, played, SPEECHD_ADDRESS (the
#                                   module is run where it is installed)
#   speechd_stop
#   played_size                     the bytes captured so far
speechd_start() {
    sd_tmp=$1
    mkdir -p "$sd_tmp/conf/modules" "$sd_tmp/log" "$sd_tmp/home" "$sd_tmp/run" "$sd_tmp/msgtmp"
    played="$sd_tmp/played.raw"
    : > "$played"
    cp "$3" "$sd_tmp/conf/modules/vokdar.conf"
    cat > "$sd_tmp/conf/speechd.conf" <<CONF
LogLevel ${SPEECHD_LOGLEVEL:-3}
LogDir "$sd_tmp/log"
DefaultModule vokdar
DefaultLanguage "ru"
DefaultVolume 100
AudioOutputMethod "alsa"
CONF
    cat > "$sd_tmp/home/.asoundrc" <<ASOUND
pcm.!default {
    type file
    slave.pcm "null"
    file "$played"
    format "raw"
}
ASOUND
    env HOME="$sd_tmp/home" XDG_CONFIG_HOME= XDG_DATA_HOME= XDG_DATA_DIRS="$sd_tmp/none" \
        TMPDIR="$sd_tmp/msgtmp" \
        speech-dispatcher -s -t 0 -C "$sd_tmp/conf" -m "$(dirname "$2")" -L "$sd_tmp/log" \
        -c unix_socket -S "$sd_tmp/run/socket" -P "$sd_tmp/run/pid" > "$sd_tmp/log/server.out" 2>&1 &
    server=$!
    SPEECHD_ADDRESS="unix_socket:$sd_tmp/run/socket"
    export SPEECHD_ADDRESS
    i=0
    while [ ! -S "$sd_tmp/run/socket" ]; do
        i=$((i + 1))
        [ "$i" -lt 200 ] || return 1
        kill -0 "$server" 2>/dev/null || return 1
        sleep 0.05
    done
}

speechd_stop() {
    [ -z "${server:-}" ] || kill "$server" 2>/dev/null || true
    [ -z "${server:-}" ] || wait "$server" 2>/dev/null || true
    server=
}

played_size() {
    wc -c < "$played"
}

#!/bin/sh
# Measures the README's figures of the bundled sample and draws its pictures
# again with the build's vokdar, voices and dictionary, so that they are never
# written by hand: the sample's length of speech (written into README.md), the
# spectrogram of its first eight seconds (docs/sample-speech.png), one
# sentence in each voice (docs/natural-voice.png, docs/robot-voice.png), and
# a statement and a question with their pitch in the natural voice
# (docs/question-statement.png; needs praat).
#   sh tools/readme-figures.sh [BUILD_DIR]     (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
for tool in sox soxi; do
    command -v "$tool" > /dev/null || { echo "readme-figures.sh: $tool is missing (Debian package sox)" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/vokdar-figures-XXXXXX")
trap 'rm -rf "$work"' EXIT

# speak VOICE TEXT_FILE [VOICE_DIR]: rech.wav of the text in the voice (the
# build's, or the one in VOICE_DIR), default settings.
speak() {
    rm -rf "$work/run"
    mkdir "$work/run"
    cp "$2" "$work/run/in.txt"
    ln -s "$build/replace.txt" "$work/run/replace.txt"
    ln -s "${3:-$build/$1}" "$work/run/$1"
    printf '100\r\n3.000000\r\n10.000000\r\n%s\r\n' "$1" > "$work/run/vokdar.cfg"
    (cd "$work/run" && XDG_CONFIG_HOME="$work/none" "$build/vokdar" in.txt < /dev/null > out.txt 2>&1) ||
        { cat "$work/run/out.txt"; echo "readme-figures.sh: vokdar failed on $2" >&2; exit 1; }
}

speak torvy "$root/samples/sample.txt"
seconds=$(soxi -D "$work/run/rech.wav" | awk '{ printf "%.1f", $1 }')
chars=$(tr -d '\r' < "$root/samples/sample.txt" | wc -c | tr -d ' ')  # code page 1251, CR LF read as one
sox "$work/run/rech.wav" -n spectrogram -o "$root/docs/sample-speech.png" -x 1200 -y 300 -d 0:08
sed -i -e "s/(\`samples\/sample.txt\`, [0-9]* characters)/(\`samples\/sample.txt\`, $chars characters)/" \
    -e "s/about [0-9.]* seconds of speech; the first eight seconds:/about $seconds seconds of speech; the first eight seconds:/" \
    "$root/README.md"
echo "samples/sample.txt: $chars characters, $seconds seconds of speech"

printf 'Утро в маленьком городе начинается рано.\n' > "$work/sentence.txt"
for pair in torvy:natural robot:robot; do
    voice=${pair%%:*}
    [ -d "$build/$voice" ] || { echo "readme-figures.sh: no voice $build/$voice" >&2; exit 1; }
    speak "$voice" "$work/sentence.txt"
    sox "$work/run/rech.wav" -n spectrogram -o "$root/docs/${pair#*:}-voice.png" -x 800 -y 257
    echo "$voice: $(soxi -D "$work/run/rech.wav" | awk '{ printf "%.2f", $1 }') seconds for the sentence"
done

if command -v praat > /dev/null; then
    printf 'Он вернулся домой вечером.\n' > "$work/statement.txt"
    printf 'Он вернулся домой вечером?\n' > "$work/question.txt"
    for kind in statement question; do
        speak torvy "$work/$kind.txt"
        cp "$work/run/rech.wav" "$work/$kind.wav"
    done
    praat --run "$root/tools/pitch-figure.praat" "$work/statement.wav" "$work/question.wav" \
        "Он вернулся домой вечером." "Он вернулся домой вечером?" "$root/docs/question-statement.png"
    echo "docs/question-statement.png: a statement and a question in the natural voice"
else
    echo "readme-figures.sh: no praat; docs/question-statement.png not drawn" >&2
fi

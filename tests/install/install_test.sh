#!/bin/sh
# cmake --install into a fresh prefix: the programs, manual pages, voices and
# dictionary land where they belong, and the installed vokdar, run from an
# unrelated directory with empty base directories, finds its voice and
# dictionary beside itself and speaks as the build directory does.
# Usage: install_test.sh BUILD_DIR VOICE...
set -eu
build=$1
shift
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "$*"; exit 1; }

cmake --install "$build" --prefix "$tmp/prefix" > "$tmp/install.log" || { cat "$tmp/install.log"; fail "install failed"; }
for f in bin/vokdar bin/vokdar-dict share/man/man1/vokdar.1 share/man/man1/vokdar-dict.1 share/vokdar/replace.txt share/vokdar/vokdar.cfg; do
    [ -f "$tmp/prefix/$f" ] || fail "not installed: $f"
done
for voice in "$@"; do
    n=$(find "$tmp/prefix/share/vokdar/$voice" -name '*.pcm' | wc -l)
    m=$(find "$build/$voice" -name '*.pcm' | wc -l)
    [ "$n" -gt 0 ] && [ "$n" -eq "$m" ] || fail "voice $voice: $n of $m recordings installed"
done

# "Мама мыла раму." in code page 1251.
mkdir "$tmp/work" "$tmp/ref" "$tmp/home"
printf '\314\340\354\340 \354\373\353\340 \360\340\354\363.\n' > "$tmp/work/in.txt"
cp "$tmp/work/in.txt" "$tmp/ref/in.txt"
(cd "$tmp/work" && env HOME="$tmp/home" XDG_CONFIG_HOME= XDG_DATA_HOME= XDG_DATA_DIRS="$tmp/none" \
    "$tmp/prefix/bin/vokdar" in.txt < /dev/null > out.log 2>&1) || fail "the installed vokdar failed"
if grep -q 'slog\|none of\|failed\|no vokdar.cfg' "$tmp/work/out.log"; then
    cat "$tmp/work/out.log"
    fail "the installed vokdar did not find its data"
fi
ln -s "$build/replace.txt" "$tmp/ref/replace.txt"
ln -s "$build/torvy" "$tmp/ref/torvy"
(cd "$tmp/ref" && "$build/vokdar" in.txt < /dev/null > out.log 2>&1)
cmp "$tmp/work/rech.wav" "$tmp/ref/rech.wav" || fail "the installed vokdar speaks differently"
echo "installed and found: $(cd "$tmp/prefix" && find . -type f | wc -l) files"

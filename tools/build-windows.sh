#!/usr/bin/env bash
# Builds vokdar.exe and vokdar-dict.exe for 64-bit Windows with mingw-w64 into
# build-windows/ and packs build-windows/vokdar-windows.zip: the two programs,
# the default voice torvy\, replace.txt, a vokdar.cfg and a README. The voice
# and the dictionary are those of the Linux build (build/, made when missing,
# so a fresh clone needs nothing built before).
#   --test   then runs the test suite under wine as well
# Every step that fails says which it was; the exit status is then 1.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="${VOKDAR_JOBS:-2}"
linux="${VOKDAR_LINUX_BUILD:-$root/build}"
win="$root/build-windows"
run_tests=no
case "${1:-}" in
    "") ;;
    --test) run_tests=yes ;;
    *) echo "Usage: bash tools/build-windows.sh [--test]" >&2; exit 2 ;;
esac

fail() {
    echo "build-windows.sh: $*" >&2
    exit 1
}
# step WHAT COMMAND...: runs COMMAND; when it fails, names WHAT and stops.
step() {
    local what=$1
    shift
    "$@" || fail "$what failed (exit status $?): $*"
}
need() {
    command -v "$1" > /dev/null || fail "$1 is missing: install the Debian package $2 (see tools/packages.txt)"
}

need cmake cmake
need x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix
need x86_64-w64-mingw32-strip binutils-mingw-w64-x86-64
need zip zip
[ "$run_tests" = no ] || need wine wine

echo "=== Linux build (voice, dictionary, reference programs): $linux"
if [ ! -f "$linux/CMakeCache.txt" ]; then
    # Configured as tools/test.sh configures it, so that its later pass
    # compiles nothing again.
    step "configuring the Linux build in $linux" \
        cmake -S "$root" -B "$linux" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOKDAR_WERROR=ON
fi
# Everything the package and the comparison under wine take from it.
step "building the Linux vokdar, vokdar-dict, voice and dictionary in $linux" \
    cmake --build "$linux" -j"$jobs" --target vokdar vokdar-dict voice dictionary
[ -d "$linux/torvy" ] || fail "the Linux build made no voice $linux/torvy/ (festvox-ru, libespeak-ng-dev and libsoxr-dev are needed)"
[ -s "$linux/replace.txt" ] || fail "the Linux build made no dictionary $linux/replace.txt"

echo "=== Windows build: $win"
export WINEPREFIX="$win/wineprefix" WINEDEBUG=-all
if [ "$run_tests" = yes ] && [ ! -f "$WINEPREFIX/system.reg" ]; then
    # Made once, before the test programs are first run in parallel.
    mkdir -p "$win"
    wineboot -i > /dev/null 2>&1 || true
    # The registry is on disk once the wine server has ended.
    wineserver -w > /dev/null 2>&1 || true
    [ -f "$WINEPREFIX/system.reg" ] || fail "wineboot could not make the wine prefix $WINEPREFIX"
fi
step "configuring the Windows build in $win" \
    cmake -S "$root" -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOKDAR_WERROR=ON -DVOKDAR_BENCH=OFF \
    -DVOKDAR_TESTS="$([ "$run_tests" = yes ] && echo ON || echo OFF)" -DVOKDAR_LINUX_BUILD="$linux" \
    -DVOKDAR_TABLES_FROM="$linux"
step "building vokdar.exe and vokdar-dict.exe" cmake --build "$win" -j"$jobs" --target vokdar vokdar-dict

echo "=== Package: $win/vokdar-windows.zip"
package="$win/package/vokdar"
rm -rf "$win/package" "$win/vokdar-windows.zip"
mkdir -p "$package"
for program in vokdar vokdar-dict; do
    step "stripping $program.exe" x86_64-w64-mingw32-strip -o "$package/$program.exe" "$win/$program.exe"
done
step "copying the voice" cp -r "$linux/torvy" "$package/torvy"
step "copying the dictionary" cp "$linux/replace.txt" "$package/replace.txt"
# The settings as the setup dialogue writes them: the defaults.
printf '100\r\n3.000000\r\n10.000000\r\ntorvy\r\n' > "$package/vokdar.cfg"
sed 's/$/\r/' "$root/tools/windows/README.txt" > "$package/README.txt"
(cd "$win/package" && zip -qr -X "$win/vokdar-windows.zip" vokdar) || fail "packing $win/vokdar-windows.zip failed"
ls -l "$win/vokdar-windows.zip"

if [ "$run_tests" = yes ]; then
    echo "=== Tests under wine"
    step "building the Windows test suite" cmake --build "$win" -j"$jobs"
    (cd "$win" && ctest --output-on-failure -j"$jobs") || fail "tests under wine failed (see above)"
fi

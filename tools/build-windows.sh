#!/usr/bin/env bash
# Builds vokdar.exe and vokdar-dict.exe for 64-bit Windows with mingw-w64 into
# build-windows/ and packs build-windows/vokdar-windows.zip: the two programs,
# the default voice torvy\, replace.txt, a vokdar.cfg and a README. The voice
# and the dictionary are those of the Linux build (build/, made when missing).
#   --test   then runs the test suite under wine as well
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="${VOKDAR_JOBS:-2}"
linux="${VOKDAR_LINUX_BUILD:-$root/build}"
win="$root/build-windows"
run_tests=no
[ "${1:-}" = --test ] && run_tests=yes

echo "=== Linux build (voice, dictionary, reference program): $linux"
if [ ! -f "$linux/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$linux" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$linux" -j"$jobs" --target vokdar voice
test -d "$linux/torvy" -a -f "$linux/replace.txt"

echo "=== Windows build: $win"
export WINEPREFIX="$win/wineprefix" WINEDEBUG=-all
if [ "$run_tests" = yes ] && [ ! -f "$WINEPREFIX/system.reg" ]; then
    # Made once, before the test programs are first run in parallel.
    mkdir -p "$win"
    wineboot -i > /dev/null 2>&1 || true
fi
cmake -S "$root" -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOKDAR_WERROR=ON -DVOKDAR_BENCH=OFF -DVOKDAR_TESTS="$([ "$run_tests" = yes ] && echo ON || echo OFF)" \
    -DVOKDAR_LINUX_BUILD="$linux"
cmake --build "$win" -j"$jobs" --target vokdar vokdar-dict

echo "=== Package: $win/vokdar-windows.zip"
package="$win/package/vokdar"
rm -rf "$win/package" "$win/vokdar-windows.zip"
mkdir -p "$package"
for program in vokdar vokdar-dict; do
    x86_64-w64-mingw32-strip -o "$package/$program.exe" "$win/$program.exe"
done
cp -r "$linux/torvy" "$package/torvy"
cp "$linux/replace.txt" "$package/replace.txt"
# The settings as the setup dialogue writes them: the defaults.
printf '100\r\n3.000000\r\n10.000000\r\ntorvy\r\n' > "$package/vokdar.cfg"
sed 's/$/\r/' "$root/tools/windows/README.txt" > "$package/README.txt"
(cd "$win/package" && zip -qr -X "$win/vokdar-windows.zip" vokdar)
ls -l "$win/vokdar-windows.zip"

if [ "$run_tests" = yes ]; then
    echo "=== Tests under wine"
    cmake --build "$win" -j"$jobs"
    (cd "$win" && ctest --output-on-failure -j"$jobs")
fi

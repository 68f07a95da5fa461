#!/usr/bin/env bash
# Builds the program twice (plain, and with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs the whole test suite in both, warnings
# as errors; then cross-builds it for Windows and runs the suite there under
# wine, with the check that vokdar.exe writes the same bytes as the plain
# build. Other builds are named as DIR:BUILD_TYPE:COMPILER:SANITIZE arguments
# (tools/packaging.sh does so); they replace all three.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="${VOKDAR_JOBS:-2}"
builds=("$@")
windows=no
if [ "${#builds[@]}" -eq 0 ]; then
    builds=(build:RelWithDebInfo:: build-san:RelWithDebInfo::ON)
    windows=yes
fi
status=0

for b in "${builds[@]}"; do
    IFS=: read -r variant type cxx sanitize <<< "$b"
    dir="$root/$variant"
    sanitize="${sanitize:-OFF}"
    echo "=== $variant ($type${cxx:+, $cxx}, sanitizers $sanitize)"
    # Every build after the plain one takes the dictionary that build generated:
    # the same bytes, without generating them again.
    # So are the first stage's generated word tables.
    # And so are its voices: the plain build checks that cutting them again
    # gives the same bytes.
    dictionary="" tables="" voices=""
    [ "$variant" != build ] && [ -s "$root/build/replace.txt" ] && dictionary="$root/build/replace.txt"
    [ "$variant" != build ] && [ -d "$root/build/src/firstread" ] && tables="$root/build"
    [ "$variant" != build ] && [ -f "$root/build/tools/robot.stamp" ] && voices="$root/build"
    CXX="${cxx:-${CXX:-}}" cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE="$type" \
        -DVOKDAR_SANITIZE="$sanitize" -DVOKDAR_WERROR=ON -DVOKDAR_DICTIONARY="$dictionary" \
        -DVOKDAR_TABLES_FROM="$tables" -DVOKDAR_VOICES_FROM="$voices"
    cmake --build "$dir" -j"$jobs"
    (cd "$dir" && ctest --output-on-failure -j"$jobs") || status=1
done

if [ "$windows" = yes ]; then
    echo "=== build-windows (mingw-w64, tests under wine)"
    VOKDAR_LINUX_BUILD="$root/build" bash "$root/tools/build-windows.sh" --test || status=1
fi

if [ "$status" -ne 0 ]; then
    echo "Some tests failed." >&2
fi
exit "$status"

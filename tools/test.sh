#!/usr/bin/env bash
# Builds the program twice (plain, and with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs the whole test suite in both, warnings
# as errors. Other builds are named as DIR:BUILD_TYPE:COMPILER:SANITIZE
# arguments (tools/packaging.sh does so).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="${VOKDAR_JOBS:-2}"
builds=("$@")
[ "${#builds[@]}" -gt 0 ] || builds=(build:RelWithDebInfo:: build-san:RelWithDebInfo::ON)
status=0

for b in "${builds[@]}"; do
    IFS=: read -r variant type cxx sanitize <<< "$b"
    dir="$root/$variant"
    sanitize="${sanitize:-OFF}"
    echo "=== $variant ($type${cxx:+, $cxx}, sanitizers $sanitize)"
    # Every build after the plain one takes the dictionary that build generated:
    # the same bytes, without generating them again.
    dictionary=""
    [ "$variant" != build ] && [ -s "$root/build/replace.txt" ] && dictionary="$root/build/replace.txt"
    CXX="${cxx:-${CXX:-}}" cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE="$type" \
        -DVOKDAR_SANITIZE="$sanitize" -DVOKDAR_WERROR=ON -DVOKDAR_DICTIONARY="$dictionary"
    cmake --build "$dir" -j"$jobs"
    (cd "$dir" && ctest --output-on-failure -j"$jobs") || status=1
done

if [ "$status" -ne 0 ]; then
    echo "Some tests failed." >&2
fi
exit "$status"

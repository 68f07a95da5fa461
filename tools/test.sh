#!/usr/bin/env bash
# Builds the program twice (plain, and with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs the whole test suite in both.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="${VOKDAR_JOBS:-2}"
status=0

for variant in build build-san; do
    dir="$root/$variant"
    sanitize=OFF
    [ "$variant" = build-san ] && sanitize=ON
    echo "=== $variant (sanitizers $sanitize)"
    # The sanitizer build takes the dictionary the plain one generated.
    dictionary=""
    [ "$variant" = build-san ] && [ -s "$root/build/replace.txt" ] && dictionary="$root/build/replace.txt"
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOKDAR_SANITIZE="$sanitize" \
        -DVOKDAR_DICTIONARY="$dictionary"
    cmake --build "$dir" -j"$jobs"
    (cd "$dir" && ctest --output-on-failure -j"$jobs") || status=1
done

if [ "$status" -ne 0 ]; then
    echo "Some tests failed." >&2
fi
exit "$status"

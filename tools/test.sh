#!/usr/bin/env bash
# Builds the program twice (plain, and with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs the whole test suite in both; then
# cross-builds it for Windows and runs the suite there under wine, with the
# check that vokdar.exe writes the same bytes as the plain build.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="${VOKDAR_JOBS:-2}"
status=0

for variant in build build-san; do
    dir="$root/$variant"
    sanitize=OFF
    [ "$variant" = build-san ] && sanitize=ON
    echo "=== $variant (sanitizers $sanitize)"
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOKDAR_SANITIZE="$sanitize"
    cmake --build "$dir" -j"$jobs"
    (cd "$dir" && ctest --output-on-failure -j"$jobs") || status=1
done

echo "=== build-windows (mingw-w64, tests under wine)"
VOKDAR_LINUX_BUILD="$root/build" bash "$root/tools/build-windows.sh" --test || status=1

if [ "$status" -ne 0 ]; then
    echo "Some tests failed." >&2
fi
exit "$status"

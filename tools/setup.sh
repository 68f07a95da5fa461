#!/usr/bin/env bash
# Sets vokdar up on a Debian machine: packages, build, a ready working
# directory in build/, and a first run on the bundled sample text.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs only what is missing, so a second run needs no network.
mapfile -t packages < <(grep -v '^[[:space:]]*\(#\|$\)' "$root/tools/packages.txt")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)"

# build/ is the working directory: the program at its root, its settings and the sample.
cd "$build"
if [ ! -e vokdar.cfg ]; then
    printf '100\r\n3.000000\r\n10.000000\r\ntorvy\r\n' > vokdar.cfg
fi
if [ ! -e sample.txt ]; then
    cp "$root/samples/sample.txt" sample.txt
fi

echo "Running: ./vokdar sample.txt (in $build)"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
./vokdar sample.txt < /dev/null | tee "$log" || true
echo
if grep -q 'has failed!' "$log" || [ ! -f rech.wav ]; then
    echo "The run did not finish; see the messages above."
    exit 1
fi
seconds="$(soxi -D rech.wav 2>/dev/null || echo unknown)"
echo "Speech: $build/rech.wav ($seconds seconds)"

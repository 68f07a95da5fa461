#!/bin/sh
# Builds the libFuzzer targets of every stage with clang and runs each for a
# while on its seed corpus. Exit status 1 when any target found a crash, a
# hang or a broken invariant (the inputs are kept and their paths printed).
#
#   tools/fuzz.sh [seconds]      seconds per target, 30 by default
#
# Environment: FUZZ_TARGETS (default: all six), FUZZ_JOBS (targets run at
# once, default 1), FUZZ_BUILD (build directory, default build-fuzz),
# FUZZ_OUT (scratch directory for the growing corpora and findings; default
# a fresh one under ${TMPDIR:-/tmp}, kept after the run).
set -u

seconds=${1:-30}
case $seconds in
    ''|*[!0-9]*) echo "usage: $0 [seconds]" >&2; exit 2 ;;
esac
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD:-$root/build-fuzz}
case $build in /*) ;; *) build=$root/$build ;; esac
targets=${FUZZ_TARGETS:-firstread spellnumber secondread slogi zvuki readconfig}
jobs=${FUZZ_JOBS:-1}

command -v clang++ >/dev/null 2>&1 || { echo "fuzz.sh: clang++ is not installed" >&2; exit 2; }
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DVOKDAR_FUZZ=ON -DBUILD_TESTING=OFF \
    -DVOKDAR_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 2
cmake --build "$build" -j2 --target fuzz_all >/dev/null || {
    echo "fuzz.sh: the fuzz targets do not build" >&2
    cmake --build "$build" -j1 --target fuzz_all 2>&1 | grep -E 'error' | head -20 >&2
    exit 2
}

# The targets chdir into private directories: every path given to them is absolute.
out=${FUZZ_OUT:-$(mktemp -d "${TMPDIR:-/tmp}/vokdar-fuzz-run-XXXXXX")}
mkdir -p "$out"
out=$(cd "$out" && pwd)
echo "fuzzing for ${seconds}s per target; corpora and findings in $out"

run_one() {
    t=$1
    mkdir -p "$out/$t/corpus" "$out/$t/findings"
    cp "$root/tests/fuzz/corpus/$t/"* "$out/$t/corpus/" 2>/dev/null
    "$build/fuzz_$t" -max_total_time="$seconds" -max_len=4096 -timeout=25 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$out/$t/findings/" \
        "$out/$t/corpus" >"$out/$t/log" 2>&1
    echo $? >"$out/$t/status"
}

running=0
for t in $targets; do
    [ -x "$build/fuzz_$t" ] || { echo "fuzz.sh: no target $t" >&2; exit 2; }
    run_one "$t" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait
        running=0
    fi
done
wait

failed=0
printf '%-12s %12s %8s %8s %8s  %s\n' target execs cov ft corpus result
for t in $targets; do
    log=$out/$t/log
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    stats=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -1)
    cov=$(echo "$stats" | sed -n 's/.*cov: \([0-9]*\).*/\1/p')
    ft=$(echo "$stats" | sed -n 's/.*ft: \([0-9]*\).*/\1/p')
    corp=$(echo "$stats" | sed -n 's/.*corp: \([0-9]*\).*/\1/p')
    findings=$(ls "$out/$t/findings" 2>/dev/null | wc -l)
    if [ "$(cat "$out/$t/status")" = 0 ] && [ "$findings" -eq 0 ]; then
        result=clean
    else
        result="FOUND: $(ls "$out/$t/findings" | tr '\n' ' ')(see $log)"
        failed=1
    fi
    printf '%-12s %12s %8s %8s %8s  %s\n' "$t" "${execs:-?}" "${cov:-?}" "${ft:-?}" "${corp:-?}" "$result"
done
exit $failed

#!/usr/bin/env bash
# Runs every fuzz target built in BUILD for SECONDS on a scratch copy of its corpus
# (fuzz/corpus/<target>/), then says how many inputs each one ran and whether a property
# failed. New inputs and failing ones stay in BUILD/fuzz-run/<target>/.
# Usage: fuzz/run.sh BUILD SECONDS
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1 seconds=$2
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# The targets write files on every input: in memory where possible, which is a hundred times
# faster than a disk that flushes each rewritten file.
shm=/dev/shm
[ -d $shm ] && [ -w $shm ] || shm=${TMPDIR:-/tmp}
export TMPDIR=$(mktemp -d -p "$shm" kestro-fuzz.XXXXXX)
trap 'rm -rf "$TMPDIR"' EXIT

summary=() failed=0
for corpus in fuzz/corpus/*/; do
    target=$(basename "$corpus")
    work=$build/fuzz-run/$target
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/failures"
    cp "$corpus"* "$work/corpus/"
    echo "fuzz_$target: $seconds s (log: $work/log)"
    result=ok
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$work/failures/" "$work/corpus" >"$work/log" 2>&1 || result=FAILED
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
    if [ "$result" != ok ]; then
        failed=1
        tail -n 40 "$work/log"
        ls "$work/failures"
    fi
    summary+=("$(printf 'fuzz_%-9s %12s executions  %s' "$target" "${runs:-?}" "$result")")
done
printf '%s\n' "${summary[@]}"
exit $failed

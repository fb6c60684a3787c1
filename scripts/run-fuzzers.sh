#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a bounded time on a copy of its seed corpus.
# Usage: scripts/run-fuzzers.sh [SECONDS_PER_TARGET]   (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for seeds in tests/fuzz/corpus/*/; do
    target=$(basename "$seeds")
    mkdir -p "$work/$target"
    cp -r "$seeds". "$work/$target/"
    echo "== $target: ${seconds}s"
    # New inputs go to the scratch copy; the repository keeps only the chosen seeds.
    if ! ASAN_OPTIONS=detect_leaks=1 "build/fuzz/tests/fuzz/$target" -max_total_time="$seconds" \
            -max_len=65536 -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
            -artifact_prefix="$work/$target-" "$work/$target" 2>"$work/$target.log"; then
        tail -n 40 "$work/$target.log"
        mkdir -p build/fuzz-findings
        cp "$work/$target-"* build/fuzz-findings/ 2>/dev/null || true
        status=1
    else
        grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$work/$target.log" || true
    fi
done
exit $status

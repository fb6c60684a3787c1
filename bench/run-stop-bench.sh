#!/usr/bin/env bash
# Builds the release tree and measures the stop latency: a dozen runs against the local test site,
# each stopped at a random moment. Extra arguments go to albumora-stop-bench (--stops N --seed S).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target albumora-stop-bench
build/release/bench/albumora-stop-bench "$@"

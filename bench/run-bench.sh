#!/usr/bin/env bash
# Builds the release tree and runs the download benchmark: albumora and aria2c on the same local
# album in one run, five runs, medians printed. Extra arguments go to albumora-bench.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
if ! command -v aria2c >/dev/null; then
    sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends aria2 >/dev/null
fi
cmake --preset release >/dev/null
cmake --build --preset release --target albumora-bench albumora-cli
build/release/bench/albumora-bench --runs 5 --cli build/release/src/cli/albumora-cli "$@"

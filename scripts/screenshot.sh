#!/usr/bin/env bash
# Takes docs/screenshot.png (or the file given): the main window with a user of the test suite's fake
# Duitang site listed, rendered on a virtual X server (Xvfb) with the CJK font of fonts-wqy-microhei.
set -euo pipefail
cd "$(dirname "$0")/.."
output=${1:-docs/screenshot.png}

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target window_screenshot

mkdir -p "$(dirname "$output")"
# The platform must be the X server's, not an offscreen one left in the environment.
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1280x800x24" ./build/release/tests/window_screenshot "$output"
echo "Wrote $output"

#!/usr/bin/env bash
# Sets everything up and runs the whole test suite.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" Debug "$top/build/debug"
cd "$top/build/debug"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" --timeout 300
# Every fuzz target searches for a few seconds from its seed corpus.
"$top/scripts/fuzz.sh" 5

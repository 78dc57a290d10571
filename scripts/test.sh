#!/usr/bin/env bash
# Sets everything up and runs the whole test suite.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" Debug "$top/build/debug"
cd "$top/build/debug"
# Includes installing the Debian packages into a throw-away Debian root.
export QUILLON_PACKAGE_CHECK=${QUILLON_PACKAGE_CHECK:-1}
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" --timeout 300
# Every fuzz target searches for a few seconds from its seed corpus.
"$top/scripts/fuzz.sh" 5

#!/usr/bin/env bash
# Sets everything up and runs the PC server headless on its defaults. Builds
# the server alone (no tests, no benchmarks) in build/release.
# The login id and password are asked for on the terminal, or come from
# --id and QUILLON_PASSWORD (or --credentials FILE). Further arguments go to
# quillon.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
cmake -S "$top" -B "$top/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build/release" -j "$(nproc)" --target quillon
exec "$top/build/release/apps/quillon/quillon" --headless --start "$@"

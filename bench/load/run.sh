#!/usr/bin/env bash
# Builds a Release tree in build/release and measures how long a handheld
# waits for each step under hostile load against the same steps without it
# (bench/load/load_bench.cpp). Not part of ctest.
#
#   bench/load/run.sh [--runs N] [--idle N] [--slow N]
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
build="$repo/build/release"
"$repo/scripts/setup.sh"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quillon load_bench -j "$(nproc)" >/dev/null
"$build/bench/load/load_bench" "$build/apps/quillon/quillon" "$@"

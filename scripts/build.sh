#!/usr/bin/env bash
# Configures and builds Quillon. Usage: scripts/build.sh [Debug|Release] [build folder]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
type=${1:-Debug}
dir=${2:-$top/build/$(echo "$type" | tr 'A-Z' 'a-z')}
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" >/dev/null
cmake --build "$dir" -j "$(nproc)"

#!/usr/bin/env bash
# Builds the Debian packages quillon and quillon-pocket (Release, without the
# tests) and leaves them in build/package/packages/:
#   scripts/package.sh
#   sudo apt install ./build/package/packages/quillon_*.deb ./build/package/packages/quillon-pocket_*.deb
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/build/package}
"$top/scripts/setup.sh"
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLON_BUILD_TESTS=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)"
rm -f "$dir"/packages/*.deb
(cd "$dir" && cpack --config CPackConfig.cmake >/dev/null)
ls "$dir"/packages/*.deb

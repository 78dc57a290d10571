#!/usr/bin/env bash
# Builds Quillon with the address and undefined-behaviour sanitizers in
# build/sanitize and runs every test there. Slower than scripts/test.sh;
# meant for a developer before a larger change lands.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
dir=$top/build/sanitize
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$dir" -j "$(nproc)"
cd "$dir"
LSAN_OPTIONS=suppressions=$top/tests/lsan.supp QT_QPA_PLATFORM=offscreen \
    ctest -j "$(nproc)" --timeout 600 --output-on-failure

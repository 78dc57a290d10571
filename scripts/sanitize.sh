#!/usr/bin/env bash
# Builds Quillon with sanitizers and runs every test in that build. Slower
# than scripts/test.sh; meant for a developer before a larger change lands.
#   scripts/sanitize.sh          address and undefined behaviour (build/sanitize)
#   scripts/sanitize.sh thread   data races (build/sanitize-thread)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
if [ "${1:-address}" = thread ]; then
    dir=$top/build/sanitize-thread
    flags="-fsanitize=thread -O1"
    links="-fsanitize=thread"
else
    dir=$top/build/sanitize
    flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
    links="-fsanitize=address,undefined"
fi
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$links" >/dev/null
cmake --build "$dir" -j "$(nproc)"
cd "$dir"
LSAN_OPTIONS=suppressions=$top/tests/lsan.supp TSAN_OPTIONS=suppressions=$top/tests/tsan.supp \
    QT_QPA_PLATFORM=offscreen \
    ctest -j "$(nproc)" --timeout 600 --output-on-failure

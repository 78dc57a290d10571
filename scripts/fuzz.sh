#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with clang's libFuzzer (address and
# undefined-behaviour sanitizers on) in build/fuzz and runs each for SECONDS
# (default 60) on its seed corpus. New inputs land in build/fuzz/corpus/<name>;
# crashes in build/fuzz/crashes/. Copy an input worth keeping into
# tests/fuzz/corpus/<name>: the regular build then checks it on every test run.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
build="$top/build/fuzz"

"$top/scripts/setup.sh"
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_FUZZ=ON >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for seeds in "$top"/tests/fuzz/corpus/*/; do
        targets+=("$(basename "$seeds")")
    done
fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/%/_fuzz}"

mkdir -p "$build/crashes"
failed=0
for name in "${targets[@]}"; do
    mkdir -p "$build/corpus/$name"
    echo "== $name: ${seconds}s"
    if ! "$build/tests/fuzz/${name}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
        -print_final_stats=1 -artifact_prefix="$build/crashes/${name}-" \
        "$build/corpus/$name" "$top/tests/fuzz/corpus/$name" 2>"$build/$name.log"; then
        echo "!! $name failed; see $build/$name.log and $build/crashes/"
        tail -n 30 "$build/$name.log"
        failed=1
    else
        grep -E '^stat::number_of_executed_units|^Done' "$build/$name.log" || true
    fi
done
exit $failed

#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fuzzes the fuzz targets (fuzz/*_fuzz.cpp), built with clang into build-fuzz/.
#   tools/fuzz.sh [SECONDS]     fuzz each target that long (default 60), from
#                               the seed corpus fuzz/corpus/<target>/; new inputs
#                               stay in build-fuzz/corpus/, a crash input goes
#                               to fuzz/crashes/<target>/ (commit it: it becomes
#                               a regression case)
#   tools/fuzz.sh --runs N      what the test command does: replay the corpus
#                               and every crash input, then N runs seeded with 1
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$repo/build-fuzz"
runs=""
seconds=60
if [ "${1:-}" = "--runs" ]; then runs=$2; elif [ -n "${1:-}" ]; then seconds=$1; fi

targets=(rtf_chunked rtf_incremental descriptor_reader reply_reader stop_pattern conversation_file
         conversation_log)
CXX=clang++ cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DJABBERY_BUILD_FUZZ=ON -DJABBERY_BUILD_GUI=OFF -DJABBERY_BUILD_BENCH=OFF \
    -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j 2 --target "${targets[@]/#/fuzz_}"

for target in "${targets[@]}"; do
    inputs=("$repo/fuzz/corpus/$target")
    [ -d "$repo/fuzz/crashes/$target" ] && inputs+=("$repo/fuzz/crashes/$target")
    work="$build/corpus/$target"
    if [ -n "$runs" ]; then
        # A fresh working corpus each time, so the runs do not depend on earlier ones.
        rm -rf "$work"
        mkdir -p "$work" "$build/artifacts"
        options=(-runs="$runs" -seed=1 -artifact_prefix="$build/artifacts/$target-")
    else
        mkdir -p "$work" "$repo/fuzz/crashes/$target"
        options=(-max_total_time="$seconds" -artifact_prefix="$repo/fuzz/crashes/$target/")
    fi
    echo "== fuzz_$target"
    status=0
    "$build/fuzz/fuzz_$target" "${options[@]}" -print_final_stats=1 "$work" "${inputs[@]}" \
        > "$build/$target.log" 2>&1 || status=$?
    grep -E '^(Done|stat::number_of_executed_units|SUMMARY)' "$build/$target.log" || true
    if [ "$status" -ne 0 ]; then tail -n 40 "$build/$target.log"; exit 1; fi
    rmdir "$repo/fuzz/crashes/$target" 2>/dev/null || true
done

#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# GNU parallel runs four shards of one batch into one folder, as the
# README shows; together they run every seed once.
# Usage: parallel_shards_test.sh JABBERY-CLI
source "$(dirname "$0")/cluster_common.sh"
cli=$1
parallel --will-cite --halt now,fail=1 "$cli" --batch 40 --out "$work/out" --turns 4 --jobs 2 \
    --shard {}/4 "$work/Ann" "$work/Bob" ::: 0 1 2 3
check_every_seed_once "$work/out" 40

#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time from its seed corpus.
#   run_fuzzer.sh <target> <seed corpus> <work corpus> <findings folder> [longest input, 4096]
# KESTRIX_FUZZ_SECONDS (default 30) bounds the run; KESTRIX_FUZZ_SEED, when set, fixes the
# fuzzer's random seed so that a short run (make test) explores the same way every time. The exit
# status is the fuzzer's, so a finding fails the test and leaves its input in the findings folder.
set -euo pipefail
target=$1 seeds=$2 work=$3 findings=$4 max_len=${5:-4096}
mkdir -p "$work" "$findings"
seed=()
if [ -n "${KESTRIX_FUZZ_SEED:-}" ]; then seed=(-seed="$KESTRIX_FUZZ_SEED"); fi
exec "$target" "${seed[@]}" -max_total_time="${KESTRIX_FUZZ_SECONDS:-30}" -timeout=10 -rss_limit_mb=2048 -max_len="$max_len" \
     -print_final_stats=1 -artifact_prefix="$findings/$(basename "$target")-" "$work" "$seeds"

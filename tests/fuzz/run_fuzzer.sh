#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time from its seed corpus.
#   run_fuzzer.sh <target> <seed corpus> <work corpus> <findings folder>
# KESTRIX_FUZZ_SECONDS (default 30) bounds the run; the exit status is the fuzzer's, so a
# finding fails the test and leaves its input in the findings folder.
set -euo pipefail
target=$1 seeds=$2 work=$3 findings=$4
mkdir -p "$work" "$findings"
exec "$target" -max_total_time="${KESTRIX_FUZZ_SECONDS:-30}" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
     -print_final_stats=1 -artifact_prefix="$findings/$(basename "$target")-" "$work" "$seeds"

#!/bin/bash
# run-fuzz.sh FUZZER SEEDS SECONDS: fuzzes for a bounded time starting from the committed
# seeds; new inputs go to a scratch folder, never into the seeds. A crash fails the test and
# leaves its input (crash-*) in the scratch folder, to be turned into a regression test.
set -u
fuzzer=$1 seeds=$2 seconds=$3
scratch=$(mktemp -d /tmp/fuzz.XXXXXX)
cd "$scratch" || exit 2
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 \
  "$scratch" "$seeds" 2>&1 | tail -n 12
status=${PIPESTATUS[0]}
if [ "$status" -eq 0 ]; then rm -rf "$scratch"; else echo "fuzz: inputs kept in $scratch"; fi
exit "$status"

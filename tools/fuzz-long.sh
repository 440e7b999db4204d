#!/bin/bash
# fuzz-long.sh [MINUTES] [TARGET...]: runs each fuzz target (all of them by default) for
# MINUTES minutes (default 10) from its committed seeds, on a native clang build of its own
# in build/native-fuzz. What the runs learn stays in build/native-fuzz/corpus/<target>, which
# later runs start from too. A crash stops that target and leaves its input in
# build/native-fuzz/crashes/<target>: turn it into a regression unit test, then, if it
# helps, add it to tests/fuzz/seeds/<target>.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
minutes=${1:-10}
shift || true
# libFuzzer reads a time of 0 as "no limit".
if ! [[ "$minutes" =~ ^[0-9]+$ ]] || [ "$minutes" -lt 1 ]; then
  echo "usage: fuzz-long.sh [MINUTES >= 1] [TARGET...]" >&2
  exit 2
fi
work=$root/build/native-fuzz
cmake -S "$root/tests/native" -B "$work/build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_INSTALL_PREFIX="$work/install" >/dev/null
cmake --build "$work/build" >/dev/null
cmake --install "$work/build" >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for fuzzer in "$work"/install/bin/*Fuzz; do
    name=$(basename "$fuzzer")
    targets+=("${name%Fuzz}")
  done
fi
failed=0
for target in "${targets[@]}"; do
  mkdir -p "$work/corpus/$target" "$work/crashes/$target"
  echo "== $target: $minutes minute(s)"
  if ! "$work/install/bin/${target}Fuzz" -max_total_time=$((minutes * 60)) -timeout=10 \
       -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/crashes/$target/" \
       "$work/corpus/$target" "$root/tests/fuzz/seeds/$target" 2>&1 | tail -n 8; then
    echo "== $target: FAILED, inputs in $work/crashes/$target"
    failed=1
  fi
done
exit $failed

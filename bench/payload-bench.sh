#!/bin/bash
# payload-bench.sh [MEGABYTES] [--one-file]: builds a setup program whose payload is MEGABYTES
# (default 200) of the machine's own shared libraries and, in the same run, an NSIS installer of
# the same files (zlib, non-solid, amd64-unicode), and reports side by side:
#   build:      payload generation + compile + link against makensis; the peak memory of the
#               largest process and of each kind of step; file sizes
#   extraction: this program's extraction (a whole wine64 process into a fresh folder), on the
#               one-thread path and with its inflating workers, against the NSIS installer
#               run silently (/S) under wine64, and against the native limit (a Linux program
#               inflating the same chunks with the system zlib on one thread)
# Results go to build/bench/results.md (and one tab-separated line to results-<MB>.tsv, for
# bench/performance.sh) and to standard output.
# With --one-file the payload is one file of MEGABYTES (the libraries end to end), and only
# our build is measured: time, peak memory per step, size (results-onefile-<MB>.tsv).
set -eu
megabytes=${1:-200}
oneFile=${2:-}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/build/bench
mkdir -p "$work"
"$root/tools/deps.sh" nsis time bc

# The payload: regular files among the shared libraries, in name order, up to the size asked.
manifest=$work/bench.manifest.in
nsi=$work/bench.nsi
: >"$manifest"
{
  echo 'Target amd64-unicode'
  echo 'SetCompressor zlib'
  echo 'Name "Velmorant"'
  echo "OutFile \"$work/nsisBench.exe\""
  echo 'InstallDir "C:\nsis-out"'
  echo 'RequestExecutionLevel user'
  echo 'SilentInstall silent'
  echo 'Section'
  echo '  SetOutPath "$INSTDIR"'
} >"$nsi"
total=0
limit=$((megabytes * 1048576))
libraries() { find /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -name '*.so*' -size +100k -size -20M | sort; }
if [ "$oneFile" = --one-file ]; then
  large=$work/large-$megabytes.bin
  [ "$(stat -c %s "$large" 2>/dev/null)" = "$limit" ] || libraries | xargs cat 2>/dev/null | head -c "$limit" >"$large"
  printf 'large.bin\t%s\t1087915477\n' "$large" >"$manifest"
  total=$limit
fi
[ -s "$manifest" ] || while read -r file; do
  size=$(stat -c %s "$file")
  printf '%s\t%s\t1087915477\n' "$(basename "$file")" "$file" >>"$manifest"
  echo "  File \"$file\"" >>"$nsi"
  total=$((total + size))
  [ "$total" -ge "$limit" ] && break
done < <(libraries)
echo 'SectionEnd' >>"$nsi"
files=$(grep -c . "$manifest")
echo "payload: $files files, $total bytes"

# Everything but the payload is built first, so the timing covers generation, compile, link.
steps=$work/steps.log
cmake -S "$root" -B "$work/build" -G Ninja --toolchain "$root/cmake/mingw-x86_64.cmake" \
  -DBUILD_TESTING=OFF -DVELMORANT_BENCH_MANIFEST="$manifest" -DVELMORANT_BENCH_STEP_LOG="$steps" >/dev/null
# The programs' own objects too (the setup program's entry point alone takes the compiler
# over 200 MB, whatever the payload).
own=$(ninja -C "$work/build" -t targets all | sed -n 's/^\(bench\/CMakeFiles\/[a-zA-Z]*Bench\.dir\/[^:]*\.\(obj\|res\)\):.*/\1/p' | grep -v payloads)
cmake --build "$work/build" --target setupSequence setupIcon hosttools $own >/dev/null
rm -rf "$work/build/payloads/benchPayload" "$work/build/bench/setupBench.exe" "$work/build/bench/extractBench.exe"
mkdir -p "$work/build/payloads/benchPayload"
cmake -S "$root" -B "$work/build" >/dev/null   # the manifest again, for the removed folder

measure() {  # measure NAME COMMAND...: seconds and peak memory (KB) of the largest process
  local out=$work/$1.time
  /usr/bin/time -v -o "$out" "${@:2}" >/dev/null 2>&1 || { echo "$1 failed" >&2; return 1; }
  seconds=$(awk -F': ' '/Elapsed/ {n=split($2,t,":"); s=0; for(i=1;i<=n;i++) s=s*60+t[i]; print s}' "$out")
  memory=$(awk -F': ' '/Maximum resident/ {print $2}' "$out")
}
# The peak memory (MB) of each kind of build step, from the step log.
stepPeaks() {
  awk '{kb = $1; $1 = ""; k = "other"
        if ($0 ~ /payloadgen/) k = "generate"; else if ($0 ~ / -o [^ ]*\.exe/) k = "link"
        else if ($0 ~ /\.S\.obj /) k = "assemble"; else if ($0 ~ / -c /) k = "compile"
        if (kb > m[k]) m[k] = kb}
       END {for (k in m) if (k != "other") printf "%s %d, ", k, m[k] / 1024}' "$steps" | sed 's/, $//'
}
: >"$steps"
if [ "$oneFile" = --one-file ]; then
  measure ours cmake --build "$work/build" --target setupBench
  oursSize=$(stat -c %s "$work/build/bench/setupBench.exe")
  {
    echo "## One file of $megabytes MB: build $seconds s, peak memory $((memory / 1024)) MB" \
         "(per step, MB: $(stepPeaks)), installer $((oursSize / 1048576)) MB"
  } | tee "$work/results.md"
  printf '%s\t%s\t%s\t%s\t%s\n' "$megabytes" "$seconds" "$memory" "$(stepPeaks)" "$oursSize" \
    >"$work/results-onefile-$megabytes.tsv"
  exit 0
fi
measure ours cmake --build "$work/build" --target setupBench
oursBuild=$seconds oursMemory=$memory
cmake --build "$work/build" --target extractBench >/dev/null   # the extraction's timer, untimed
measure nsis makensis -V1 "$nsi"
nsisBuild=$seconds nsisMemory=$memory
oursSize=$(stat -c %s "$work/build/bench/setupBench.exe")
nsisSize=$(stat -c %s "$work/nsisBench.exe")

# Extraction, five times each into a fresh folder, the disk flushed between runs (outside
# the timing); the median counts.
export HARNESS_DIR=$work/harness
. "$root/tests/harness/common.sh"
"$root/tests/harness/make-prefix.sh"
export WINEPREFIX=$TEMPLATE_PREFIX
trap 'kill "$(cat "$HARNESS_DIR/pids/xvfb-bench")" 2>/dev/null; stop_server "$HARNESS_DIR/pids/server-bench"' EXIT
start_display "$HARNESS_DIR/pids/xvfb-bench"
start_server "$HARNESS_DIR/pids/server-bench"
drive=$WINEPREFIX/drive_c
native=$work/native-out
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
timed() { local t0 t1; t0=$(date +%s.%N); "$@" >/dev/null 2>&1 || echo "failed: $*" >&2; t1=$(date +%s.%N); printf '%.2f\n' "$(echo "$t1 - $t0" | bc -l)"; }
oursRuns=() workersRuns=() nsisRuns=() nativeRuns=() checkRuns=()
for run in 1 2 3 4 5; do
  rm -rf "$drive/bench-out" "$drive/workers-out" "$drive/nsis-out" "$native"; mkdir -p "$native"; sync
  oursRuns+=("$(timed "$WINE" "$work/build/bench/extractBench.exe" 'C:\bench-out' 0)"); sync
  workersRuns+=("$(timed "$WINE" "$work/build/bench/extractBench.exe" 'C:\workers-out' -1)"); sync
  nsisRuns+=("$(timed "$WINE" "$work/nsisBench.exe" /S)"); sync
  nativeRuns+=("$(timed "$work/build/host/install/bin/nativeExtract" \
    "$work/build/payloads/benchPayload/benchPayload.bin" \
    "$work/build/payloads/benchPayload/benchPayload.index" "$native")"); sync
  # The start-up check of the payload alone, timed inside the process (ms).
  checkRuns+=("$("$WINE" "$work/build/bench/extractBench.exe" --check 2>/dev/null | tr -d '\r')")
done
checkTime=$(printf '%s\n' "${checkRuns[@]}" | median)
oursExtract=$(printf '%s\n' "${oursRuns[@]}" | median)
nsisExtract=$(printf '%s\n' "${nsisRuns[@]}" | median)
nativeExtract=$(printf '%s\n' "${nativeRuns[@]}" | median)
workersExtract=$(printf '%s\n' "${workersRuns[@]}" | median)
# The four extractions must have written the same files.
check=$(cd "$drive/bench-out" && find . -type f | sort | xargs md5sum | md5sum)
[ "$check" = "$(cd "$drive/workers-out" && find . -type f | sort | xargs md5sum | md5sum)" ] || echo "warning: the workers wrote other files" >&2
[ "$check" = "$(cd "$drive/nsis-out" && find . -type f | sort | xargs md5sum | md5sum)" ] || echo "warning: NSIS wrote other files" >&2
[ "$check" = "$(cd "$native" && find . -type f | sort | xargs md5sum | md5sum)" ] || echo "warning: the native run wrote other files" >&2

ratio() { echo "scale=2; $1 / $2" | bc -l; }
{
  echo "## Payload benchmark: $files files, $((total / 1048576)) MB of shared libraries"
  echo
  echo "| measure | this program | NSIS (zlib) | native limit | ratio to NSIS | ratio to native |"
  echo "|---|---|---|---|---|---|"
  echo "| build: generate + compile + link (s) | $oursBuild | $nsisBuild | | $(ratio "$oursBuild" "$nsisBuild") | |"
  echo "| build: peak memory (MB) | $((oursMemory / 1024)) | $((nsisMemory / 1024)) | | | |"
  echo "| build: peak memory per step (MB) | $(stepPeaks) | | | | |"
  echo "| installer size (bytes) | $oursSize | $nsisSize | | $(ratio "$oursSize" "$nsisSize") | |"
  echo "| extraction, one thread (s) | $oursExtract | $nsisExtract | $nativeExtract | $(ratio "$oursExtract" "$nsisExtract") | $(ratio "$oursExtract" "$nativeExtract") |"
  echo "| extraction, workers (s) | $workersExtract | $nsisExtract | $nativeExtract | $(ratio "$workersExtract" "$nsisExtract") | $(ratio "$workersExtract" "$nativeExtract") |"
  echo "| payload check alone, in the process (ms) | $checkTime | | | | |"
  echo
  echo "Extraction runs (s, the payload check included): one thread ${oursRuns[*]}; workers ${workersRuns[*]}; NSIS ${nsisRuns[*]}; native ${nativeRuns[*]}"
  echo "Payload check runs (ms): ${checkRuns[*]}"
} | tee "$work/results.md"
printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$megabytes" "$files" "$total" \
  "$oursBuild" "$nsisBuild" "$oursMemory" "$nsisMemory" "$oursSize" "$nsisSize" \
  "$oursExtract" "$nsisExtract" "$nativeExtract" "$workersExtract" >"$work/results-$megabytes.tsv"

#!/bin/bash
# performance.sh [MEGABYTES...]: the setup program side by side with NSIS and with the
# machine's own limit, in one run on this machine (default sizes 25 50 100 200):
#   stub size      i686 setup.exe less its compressed payload, against an empty NSIS
#                  installer (zlib, x86-unicode)
#   build          payload generation + compile + link against makensis, per payload size,
#                  with the peak memory of its largest step; and one file of 300 MB alone
#   size           the installer against NSIS's, per payload size
#   extraction     this program (a whole wine64 process), on one thread and with its inflating
#                  workers, against the NSIS installer run with /S under wine64 and against a
#                  native one-thread inflate-and-write program, per size
#   start-up       from process start to the agreement dialog on screen, against an NSIS
#                  installer with a licence page
# Writes bench/results/performance.md and bench/results/performance.png. With --report first,
# writes them again from the last run's measurements without measuring.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
reportOnly=0
[ "${1:-}" = --report ] && { reportOnly=1; shift; }
sizes=(${*:-25 50 100 200})
large=300
results=$root/bench/results
work=$root/build/bench
mkdir -p "$results" "$work"
measures=$work/measures.env
if [ "$reportOnly" = 0 ]; then
load=$(cut -d' ' -f1-3 /proc/loadavg)
"$root/tools/deps.sh" nsis time bc gnuplot-nox
"$root/tools/build.sh" >/dev/null

# Stub size.
setup32=$root/build/i686/setup.exe
stub=$(( $(stat -c %s "$setup32") - $(stat -c %s "$root/build/i686/payloads/productPayload/productPayload.bin") ))
printf 'Unicode true\nSetCompressor zlib\nName "Velmorant"\nOutFile "%s"\nRequestExecutionLevel user\nSection\nSectionEnd\n' \
  "$work/nsisEmpty.exe" >"$work/empty.nsi"
makensis -V1 "$work/empty.nsi"
nsisEmpty=$(stat -c %s "$work/nsisEmpty.exe")

# Build and extraction per payload size.
for mb in "${sizes[@]}"; do
  echo "== payload of $mb MB"
  "$root/bench/payload-bench.sh" "$mb" | tail -n 12
done
echo "== one file of $large MB"
"$root/bench/payload-bench.sh" "$large" --one-file | tail -n 1

# Start-up: the same prefix and a private display, five timed starts of each after a warm-up.
export HARNESS_DIR=$work/harness
. "$root/tests/harness/common.sh"
"$root/tests/harness/make-prefix.sh"
export WINEPREFIX=$TEMPLATE_PREFIX
trap 'stop_server "$HARNESS_DIR/pids/server-startup"; kill "$(cat "$HARNESS_DIR/pids/xvfb-startup")" 2>/dev/null' EXIT
start_display "$HARNESS_DIR/pids/xvfb-startup"
start_server "$HARNESS_DIR/pids/server-startup"
{
  printf 'Target amd64-unicode\nSetCompressor zlib\nName "Velmorant"\nOutFile "%s"\n' "$work/nsisLicense.exe"
  printf 'RequestExecutionLevel user\nLicenseData "%s"\nPage license\nPage instfiles\nSection\nSectionEnd\n' \
    "$root/product/velmorant.exe.manifest"
} >"$work/license.nsi"
makensis -V1 "$work/license.nsi"
timer=$root/build/x86_64/bench/startupTimer.exe
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
startups() {  # startups PROGRAM TITLE: five timed starts after one warm-up
  "$WINE" "$timer" "$1" "$2" >/dev/null 2>&1
  for i in 1 2 3 4 5; do "$WINE" "$timer" "$1" "$2" 2>/dev/null | tr -d '\r'; done | median
}
oursStartup=$(startups "$root/build/x86_64/setup.exe" "END USER LICENSE AGREEMENT")
nsisStartup=$(startups "$work/nsisLicense.exe" "*")
endLoad=$(cut -d' ' -f1-3 /proc/loadavg)
versions="Wine $("$WINE" --version 2>/dev/null | tr -d '\r'), NSIS $(makensis -VERSION)"
declare -p load endLoad versions stub nsisEmpty oursStartup nsisStartup >"$measures"
fi
. "$measures"

# The report.
ratio() { echo "scale=${3:-2}; $1 / $2" | bc -l | sed 's/^\./0./'; }
table=$work/performance.tsv
: >"$table"
for mb in "${sizes[@]}"; do cat "$work/results-$mb.tsv" >>"$table"; done
{
  echo "Measured $(date -u -r "$measures" '+%Y-%m-%d') on this machine ($(nproc) cores; load average $load at the start, $endLoad at the end), $versions."
  echo
  echo "| measure | this program | NSIS | ratio | target |"
  echo "|---|---|---|---|---|"
  echo "| stub size, i686 (bytes) | $stub | $nsisEmpty | $(ratio "$stub" "$nsisEmpty") | ≤ 65536 and ≤ 0.7 |"
  echo "| start-up to the agreement dialog (ms) | $oursStartup | $nsisStartup | $(ratio "$oursStartup" "$nsisStartup") | |"
  echo
  echo "| payload (MB) | files | build (s) | makensis (s) | ratio | build peak memory (MB) | installer (bytes) | NSIS (bytes) | ratio |"
  echo "|---|---|---|---|---|---|---|---|---|"
  while IFS=$'\t' read -r mb files bytes ob nb om nm os ns oe ne xe we; do
    echo "| $((bytes / 1048576)) | $files | $ob | $nb | $(ratio "$ob" "$nb") | $((om / 1024)) | $os | $ns | $(ratio "$os" "$ns" 3) |"
  done <"$table"
  IFS=$'\t' read -r lmb lseconds lmemory lsteps lsize <"$work/results-onefile-$large.tsv"
  echo "| one file of $lmb | 1 | $lseconds | | | $((lmemory / 1024)) (per step: $lsteps) | $lsize | | |"
  echo
  echo "| payload (MB) | workers (s) | NSIS /S (s) | native (s) | to NSIS | to native | one thread (s) | gain |"
  echo "|---|---|---|---|---|---|---|---|"
  while IFS=$'\t' read -r mb files bytes ob nb om nm os ns oe ne xe we; do
    echo "| $((bytes / 1048576)) | $we | $ne | $xe | $(ratio "$we" "$ne") | $(ratio "$we" "$xe") | $oe | $(ratio "$oe" "$we") |"
  done <"$table"
  echo
  echo "Targets: build ≤ 0.5 × makensis, its every step ≤ 64 MB even for one file of 300 MB;" \
       "installer ≤ 1.0 × NSIS; extraction ≤ 0.5 × NSIS, ≤ 1.0 × native at 200 MB and ≤ 1.2 × at 25 and 50 MB." \
       "The setup program extracts with its workers (one fewer than the processors, the writer" \
       "inflating too); gain: the one-thread path's time over theirs."
} | tee "$results/performance.md"

gnuplot <<PLOT
set terminal pngcairo size 900,400 font ",10"
set output "$results/performance.png"
set multiplot layout 1,2
set datafile separator "\t"
set key top left
set xlabel "payload (MB)"
set ylabel "seconds"
set title "Extraction"
plot "$table" using (\$3/1048576):10 with linespoints title "this program, one thread (wine64)", \
     "" using (\$3/1048576):13 with linespoints title "this program, workers (wine64)", \
     "" using (\$3/1048576):11 with linespoints title "NSIS /S (wine64)", \
     "" using (\$3/1048576):12 with linespoints title "native inflate + write"
set title "Build"
plot "$table" using (\$3/1048576):4 with linespoints title "generate + compile + link", \
     "" using (\$3/1048576):5 with linespoints title "makensis"
unset multiplot
PLOT
echo "bench: $results/performance.md and performance.png"

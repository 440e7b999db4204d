#!/bin/bash
# Installs what is missing, builds only what it runs (setup.exe and the walkthrough driver of
# build/x86_64) and starts the setup program under Wine in a private prefix (run/prefix). With
# a display ($DISPLAY) it is started for the person at the screen; without one it runs on a
# private Xvfb, a whole install is walked with the default answers, every screen is saved as a
# PNG in run/screens and what the run installed is listed.
# It runs the x86_64 build: the shipping setup.exe is the i686 build of the same sources, and
# this machine's Wine runs 64-bit programs only.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/deps.sh"
cd "$root"
[ -f build/x86_64/build.ninja ] || cmake --preset x86_64 >/dev/null
cmake --build --preset run
echo "run: running build/x86_64/setup.exe, the 64-bit build of the shipping program: the shipping"
echo "run: setup.exe (build/i686) is 32-bit, and Wine on this machine runs 64-bit programs only"
export HARNESS_DIR=$root/run
mkdir -p "$HARNESS_DIR"
. "$root/tests/harness/common.sh"
export WINEPREFIX=$TEMPLATE_PREFIX
setup=$root/build/x86_64/setup.exe

if [ -n "${DISPLAY:-}" ]; then
  "$root/tests/harness/make-prefix.sh"
  echo "run: starting $setup on $DISPLAY (prefix $WINEPREFIX)"
  exec "$WINE" "$setup"
fi

# No display: a private one and a fresh prefix, both stopped again by PID at the end.
rm -rf "$TEMPLATE_PREFIX"
"$root/tests/harness/make-prefix.sh"
trap 'stop_server "$HARNESS_DIR/pids/server-run"; kill "$(cat "$HARNESS_DIR/pids/xvfb-run")" 2>/dev/null' EXIT
start_display "$HARNESS_DIR/pids/xvfb-run"
start_server "$HARNESS_DIR/pids/server-run"
"$root/tools/walkthrough.sh"

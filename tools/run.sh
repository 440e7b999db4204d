#!/bin/bash
# Installs what is missing, builds, and starts the setup program under Wine in a private
# prefix (run/prefix). With a display ($DISPLAY) it is started for the person at the screen;
# without one it runs on a private Xvfb, a whole install is walked with the default answers,
# every screen is saved as a PNG in run/screens and what the run installed is listed.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/deps.sh"
"$root/tools/build.sh"
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

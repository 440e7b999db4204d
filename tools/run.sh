#!/bin/bash
# Installs what is missing, builds, and starts the setup program under Wine in a private
# prefix (run/prefix). With a display ($DISPLAY) it is started for the person at the screen;
# without one it runs on a private Xvfb and a screenshot of its first screen is saved.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/deps.sh"
"$root/tools/build.sh"
export HARNESS_DIR=$root/run
mkdir -p "$HARNESS_DIR"
. "$root/tests/harness/common.sh"
"$root/tests/harness/make-prefix.sh"
export WINEPREFIX=$TEMPLATE_PREFIX
setup=$root/build/x86_64/setup.exe

if [ -n "${DISPLAY:-}" ]; then
  echo "run: starting $setup on $DISPLAY (prefix $WINEPREFIX)"
  exec "$WINE" "$setup"
fi

# No display: a private one, stopped again by PID at the end.
disp=$HARNESS_DIR/display
rm -f "$disp"
setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$disp" </dev/null >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; "$WINESERVER" -k 2>/dev/null || true' EXIT
for i in $(seq 1 200); do [ -s "$disp" ] && break; sleep 0.05; done
export DISPLAY=:$(tr -d '\n' <"$disp")
"$root/tools/walkthrough.sh" "$setup"

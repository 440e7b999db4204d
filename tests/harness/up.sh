#!/bin/bash
# Test fixture set-up: the template prefix, a private Xvfb display and the shared prefix's server.
set -eu
. "$(dirname "$0")/common.sh"
"$(dirname "$0")/down.sh"
"$(dirname "$0")/make-prefix.sh"
disp=$HARNESS_DIR/display
rm -f "$disp"
setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$disp" </dev/null >/dev/null 2>&1 &
echo $! >"$HARNESS_DIR/pids/xvfb"
for i in $(seq 1 200); do [ -s "$disp" ] && break; sleep 0.05; done
[ -s "$disp" ] || { echo "harness: Xvfb did not start" >&2; exit 1; }
echo "DISPLAY=:$(tr -d '\n' <"$disp")" >"$HARNESS_DIR/env"
export WINEPREFIX=$TEMPLATE_PREFIX DISPLAY=:$(tr -d '\n' <"$disp")
start_server "$HARNESS_DIR/pids/server-shared"
echo "harness up: display $DISPLAY, prefix $WINEPREFIX"

#!/bin/bash
# Test fixture set-up: the template prefix, a private Xvfb display and the shared prefix's server.
set -eu
. "$(dirname "$0")/common.sh"
"$(dirname "$0")/down.sh"
"$(dirname "$0")/make-prefix.sh"
start_display "$HARNESS_DIR/pids/xvfb"
echo "DISPLAY=$DISPLAY" >"$HARNESS_DIR/env"
rm -rf "$SHARED_PREFIX"
cp -a "$TEMPLATE_PREFIX" "$SHARED_PREFIX"
export WINEPREFIX=$SHARED_PREFIX
start_server "$HARNESS_DIR/pids/server-shared"
echo "harness up: display $DISPLAY, prefix $WINEPREFIX"

#!/bin/bash
# Test fixture tear-down: stops every server and display the harness started, by PID.
set -u
. "$(dirname "$0")/common.sh"
for pidfile in "$HARNESS_DIR"/pids/server-*; do
  [ -f "$pidfile" ] || continue
  name=${pidfile##*/server-}
  if [ "$name" = shared ]; then
    WINEPREFIX=$SHARED_PREFIX stop_server "$pidfile"
  else
    WINEPREFIX=$HARNESS_DIR/runs/$name/prefix stop_server "$pidfile"
    rm -rf "$HARNESS_DIR/runs/$name"
  fi
done
for mnt in "$HARNESS_DIR"/runs/*/tmpfs; do
  mountpoint -q "$mnt" 2>/dev/null && umount "$mnt"
done
if [ -f "$HARNESS_DIR/pids/xvfb" ]; then
  kill "$(cat "$HARNESS_DIR/pids/xvfb")" 2>/dev/null
  rm -f "$HARNESS_DIR/pids/xvfb"
fi
rm -f "$HARNESS_DIR/env"
exit 0

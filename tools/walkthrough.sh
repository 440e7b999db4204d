#!/bin/bash
# walkthrough.sh SETUP.EXE: on a display nobody looks at, starts the setup program, saves a
# screenshot of its agreement screen in run/screens and ends the run.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
setup=$1
export HARNESS_DIR=${HARNESS_DIR:-$root/run}
. "$root/tests/harness/common.sh"
export WINEPREFIX=${WINEPREFIX:-$TEMPLATE_PREFIX}
shots=$root/run/screens
mkdir -p "$shots"
"$WINE" "$setup" </dev/null >/dev/null 2>&1 &
pid=$!
if timeout 60 xdotool search --sync --name "END USER LICENSE AGREEMENT" >/dev/null 2>&1; then
  sleep 0.5
  import -window root "$shots/agreement.png"
  echo "run: the agreement screen is in $shots/agreement.png"
fi
kill "$pid" 2>/dev/null
"$WINESERVER" -k 2>/dev/null || true

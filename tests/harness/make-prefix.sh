#!/bin/bash
# Creates the template Wine prefix that every test starts from (about 12 s, once per build tree).
set -eu
. "$(dirname "$0")/common.sh"
stamp=$TEMPLATE_PREFIX/.velmorant-ready
[ -f "$stamp" ] && exit 0
rm -rf "$TEMPLATE_PREFIX"
export WINEPREFIX=$TEMPLATE_PREFIX
unset DISPLAY
prepare_prefix
touch "$stamp"

#!/bin/bash
# Creates the template Wine prefix that every test starts from (about 12 s, once per build tree).
set -eu
. "$(dirname "$0")/common.sh"
stamp=$TEMPLATE_PREFIX/.velmorant-ready
[ -f "$stamp" ] && exit 0
rm -rf "$TEMPLATE_PREFIX"
export WINEPREFIX=$TEMPLATE_PREFIX
unset DISPLAY
"$WINE" wineboot -i </dev/null >/dev/null 2>&1
# Without a window manager Wine must not wait for one: every GUI process would exit ~2 s late.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
"$WINESERVER" -w
# The user folders are symlinks into the Linux home: make them real folders of the prefix.
for link in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$link" ]; then rm -f "$link"; mkdir -p "$link"; fi
done
touch "$stamp"

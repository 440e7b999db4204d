#!/bin/bash
# walkthrough.sh: on a display nobody looks at, walks a whole install of build/x86_64/setup.exe
# with the default answers, saves a screenshot of every screen in run/screens and lists what
# the run installed. Expects WINEPREFIX, DISPLAY and a running Wine server (tools/run.sh).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
export HARNESS_DIR=${HARNESS_DIR:-$root/run}
. "$root/tests/harness/common.sh"
setup=$root/build/x86_64/setup.exe
shots=$HARNESS_DIR/screens
rm -rf "$shots"
mkdir -p "$shots"
echo "run: walking a whole install on $DISPLAY; screens go to $shots"
"$WINE" "$root/build/x86_64/tools/walkthrough/walkthrough.exe" "$setup" "Z:${shots//\//\\}" </dev/null 2>&1 |
  while read -r word name; do
    name=${name%$'\r'}  # Wine's console ends lines with CR LF
    if [ "$word" = SHOT ]; then
      import -window root "png:$shots/$name.png.tmp" && mv "$shots/$name.png.tmp" "$shots/$name.png"
      echo "  saved $name.png"
    else
      echo "  $word $name"
    fi
  done
status=${PIPESTATUS[0]}

echo
echo "What the run installed:"
folder=$("$WINE" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmorant' /v UninstallString 2>/dev/null |
  sed -n 's/.*REG_SZ[[:space:]]*//p' | tr -d '\r')
echo "- uninstall key HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmorant:"
"$WINE" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmorant' 2>/dev/null |
  tr -d '\r' | grep REG_ | sed 's/^ */    /'
echo "- velmorant.ini in the Windows folder:"
sed 's/^/    /' "$WINEPREFIX/drive_c/windows/velmorant.ini" 2>/dev/null | tr -d '\r'
data=$WINEPREFIX/drive_c/Program\ Files/Velmorant
echo "- files in C:\\Program Files\\Velmorant (size, modification time UTC):"
find "$data" -maxdepth 1 -type f -printf '    %f  %s bytes  %TY-%Tm-%Td %TH:%TM:%.2TS\n' 2>/dev/null | sort
echo "- shortcuts:"
(cd "$WINEPREFIX/drive_c/users" && find . -name '*.lnk' -path '*Start Menu*' | sed 's/^\.\//    /')
[ -n "$folder" ] || echo "    (no uninstall key: the run did not finish)"
exit "$status"

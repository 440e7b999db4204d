#!/bin/bash
# install-uninstall.sh I686_BUILD_DIR: runs in the guest (boot.sh), as root. The shipping i686
# programs under real 32-bit Wine, in a fresh win32 prefix on the guest's own Xvfb display:
#  - setup.exe walked through a whole install with the default answers and a final No, from
#    outside, by the i686 walkthrough driver;
#  - the payload's files with their contents and stored times, the uninstall key, the INI value
#    and both shortcuts;
#  - the installed qxuninst.exe started from the UninstallString value as Add/Remove Programs
#    starts it, answered Yes; what the install made is gone.
# Every screen is saved as a PNG file in /exchange/screens. Exit status 0 when all checks pass.
set -u
i686=$1
export HARNESS_DIR=/tmp/harness
. "$(dirname "$0")/../harness/common.sh"
WINE=/usr/lib/wine/wine
WINESERVER=/usr/lib/wine/wineserver32
export WINEARCH=win32 WINEPREFIX=$HARNESS_DIR/prefix
# A program that crashes ends at once instead of waiting for Wine's debugger.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winedbg.exe=d"
shots=/exchange/screens
mkdir -p "$shots"
failures=0
step() { echo "== $((SECONDS / 60))m$((SECONDS % 60))s $*"; }
check() {  # check WHAT COMMAND...
  if "${@:2}"; then echo "ok    $1"; else echo "FAIL  $1"; failures=$((failures + 1)); return 1; fi
}
winpath() { local path=${1//\//\\}; echo "Z:$path"; }
shoot() { import -window root "png:$shots/$1.png.tmp" && mv "$shots/$1.png.tmp" "$shots/$1.png"; }
# walk ARG...: the i686 walkthrough driver; takes the screenshots it asks for. Its output goes
# through a file: programs it starts may outlive it and would hold a pipe open.
walk() {
  local out=$HARNESS_DIR/walk.out pid status
  timeout 1200 "$WINE" "$i686/tools/walkthrough/walkthrough.exe" "$@" </dev/null >"$out" 2>&1 &
  pid=$!
  tail -n +1 -s 0.2 -f --pid=$pid "$out" | while read -r word rest; do
    rest=${rest%$'\r'}  # Wine's console ends lines with CR LF
    if [ "$word" = SHOT ]; then
      shoot "$rest" && echo "  saved $rest.png"
    else
      echo "  $word $rest"
    fi
  done
  wait $pid
  status=$?
  if [ $status != 0 ]; then
    shoot failed-walk
    echo "  the screen is in failed-walk.png; Wine's processes:"
    ps -eo pid,etime,args | grep -i '\.exe' | grep -v grep | sed 's/^/    /'
  fi
  return $status
}
hex() { od -An -tx1 -v | tr -d ' \n'; }
# holds FILE TEXT: FILE holds the string TEXT (ended by its zero), in ANSI or in UTF-16.
holds() {
  local file
  file=$({ hex <"$1"; } 2>/dev/null) || return 1
  [[ $file == *"$(printf '%s\0' "$2" | hex)"* ||
     $file == *"$(printf '%s\0' "$2" | iconv -t UTF-16LE | hex)"* ]]
}
# plain_link FILE: the shell link has no arguments (flag 0x20) and shows a normal window (show
# command 1 at 0x3C).
plain_link() {
  local flags show
  flags=$(od -An -tu4 -j20 -N4 "$1" 2>/dev/null | tr -d ' ')
  show=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$flags" ] && [ $((flags & 0x20)) = 0 ] && [ "$show" = 1 ]
}
uninstallKey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmorant'
registered() { "$WINE" reg query "$uninstallKey" </dev/null 2>/dev/null | tr -d '\r'; }
# unregistered: reg itself says that the key is not there.
unregistered() { [[ $("$WINE" reg query "$uninstallKey" </dev/null 2>&1) == *'Unable to find'* ]]; }
value() { sed -n "s/^ *$1 *REG_SZ *//p" <<<"$2"; }

# A new win32 prefix takes minutes under emulation: the build tree keeps one, untouched by any
# run, for this Wine and this prepare_prefix; each run unpacks a fresh copy of it.
cache=/exchange/cache
key="$(dpkg-query -W -f='${Version}' wine32:i386) $(declare -f prepare_prefix | sha256sum | cut -c1-16)"
if [ "$(cat "$cache/prefix.key" 2>/dev/null)" = "$key" ]; then
  step "the win32 prefix kept in the build tree, unpacked"
  tar -C "$HARNESS_DIR" --zstd -xf "$cache/prefix.tar.zst" || rm -rf "$WINEPREFIX"
fi
if [ ! -d "$WINEPREFIX" ]; then
  step "a new win32 prefix"
  rm -rf "$cache"
  prepare_prefix
  step "packing the win32 prefix for the next runs"
  mkdir -p "$cache"
  tar -C "$HARNESS_DIR" -I 'zstd -1 -T0' -cf "$cache/prefix.tar.zst.tmp" prefix &&
    mv "$cache/prefix.tar.zst.tmp" "$cache/prefix.tar.zst" && echo "$key" >"$cache/prefix.key"
fi
check "a win32 prefix" test -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" \
  -a ! -d "$WINEPREFIX/drive_c/windows/syswow64" || exit 1
start_display "$HARNESS_DIR/pids/xvfb" || exit 1
start_server "$HARNESS_DIR/pids/server" || exit 1

step "setup.exe: a whole install with the default answers, final No"
walk "$(winpath "$i686/setup.exe")" "$(winpath "$shots")" --final-no
check "the walk went through and setup.exe ended with 0" test $? = 0 || exit 1

step "what the install made"
folder=$WINEPREFIX/drive_c/Program\ Files/Velmorant
while IFS=$'\t' read -r name source time; do
  case $name in '' | '#'*) continue ;; esac
  check "$name as built" cmp -s "$source" "$folder/$name"
  check "$name stored time $time" test "$(stat -c %Y "$folder/$name" 2>/dev/null)" = "$time"
done <"$i686/payloads/productPayload/productPayload.manifest"
values=$(registered)
echo "$values"
check "DisplayName" test "$(value DisplayName "$values")" = Velmorant
uninstall=$(value UninstallString "$values")
check "UninstallString" test "$uninstall" = '"C:\Program Files\Velmorant\qxuninst.exe"'
check "INI value" test "$({ tr -d '\r' <"$WINEPREFIX/drive_c/windows/velmorant.ini"; } 2>/dev/null)" = \
  $'[Options]\ndataDir=C:\\Program Files\\Velmorant'
group=$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs)/Velmorant
for link in Velmorant.lnk:velmorant.exe Uninstall.lnk:qxuninst.exe; do
  file=$group/${link%%:*}
  target="C:\\Program Files\\Velmorant\\${link#*:}"
  check "${link%%:*}: target $target" holds "$file" "$target"
  check "${link%%:*}: working folder C:\\Program Files\\Velmorant" holds "$file" 'C:\Program Files\Velmorant'
  check "${link%%:*}: no arguments, a normal window" plain_link "$file"
done

step "qxuninst.exe started from the UninstallString value, answered Yes"
walk --uninstall "$uninstall" "$(winpath "$shots")"
check "the uninstaller went through and ended with 0" test $? = 0
# Its helper deletes the uninstaller and the folder once the uninstaller has ended.
for i in $(seq 1 120); do [ -e "$folder" ] || break; sleep 0.5; done
check "the data folder is gone" test ! -e "$folder"
check "the Start-menu group is gone" test ! -e "$group"
check "the uninstall key is gone" unregistered
check "the INI value stays (the next install proposes the folder)" \
  grep -qs 'dataDir=C:\\Program Files\\Velmorant' "$WINEPREFIX/drive_c/windows/velmorant.ini"

stop_server "$HARNESS_DIR/pids/server"
kill "$(cat "$HARNESS_DIR/pids/xvfb")" 2>/dev/null
step "done: $failures failed"
[ "$failures" = 0 ]

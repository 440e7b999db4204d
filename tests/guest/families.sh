#!/bin/bash
# families.sh I686_BUILD_DIR [FAMILY...]: runs in the guest (boot.sh), as root. The shipping i686 programs
# under real 32-bit Wine, in each Windows family whose branches they take: 98 (the 9x family),
# NT 4, XP (NT before Vista) and 10 in a win32 prefix, and 10 in a win64 prefix, where they run
# as 32-bit programs on 64-bit Windows (WoW64). Wine reports the version that the prefix names
# (HKCU\Software\Wine, value Version); its API stays Wine's, so this runs the programs' own
# branches and checks their files and registry effects, not the old systems' loaders.
# In each family, on the guest's own Xvfb display, from outside (the i686 walkthrough driver):
#  - setup.exe walked through a whole install with the default answers and a final No; the
#    files with their contents and stored times, the uninstall entry, the INI value and both
#    shortcuts in the user's Start menu;
#  - the installed program started and kept running, and setup.exe run again over it: the
#    files are the new ones, and the replaced program's copy is listed for removal at the
#    restart as the family lists it (9x: WININIT.INI [rename] lines with short paths; NT: the
#    PendingFileRenameOperations value);
#  - the installed qxuninst.exe started from the UninstallString value as Add/Remove Programs
#    starts it, answered Yes; what the install made is gone.
# On WoW64 also: the entry in the 32-bit registry view only, and listed there by Wine's own
# list of installed programs; the files in "Program Files (x86)".
# FAMILY: win98, nt4, xp, win10, wow64; all of them when none is named.
# The first family's screens are saved as PNG files in /exchange/screens. Every line names its
# family; exit status 0 when every check passes.
set -u
shopt -s extglob
i686=$1
shift
chosen=${*:-win98 nt4 xp win10 wow64}
export HARNESS_DIR=/tmp/harness
. "$(dirname "$0")/../harness/common.sh"
# The programs under test are 32-bit in either prefix.
WINE32=/usr/lib/wine/wine
# A program that crashes ends at once instead of waiting for Wine's debugger.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winedbg.exe=d"
shots=/exchange/screens
mkdir -p "$shots"
family=-
failures=0
failed=""
step() { echo "== $((SECONDS / 60))m$((SECONDS % 60))s [$family] $*"; }
check() {  # check WHAT COMMAND...
  if "${@:2}"; then
    echo "ok    [$family] $1"
  else
    echo "FAIL  [$family] $1"
    failures=$((failures + 1))
    [[ " $failed " == *" $family "* ]] || failed="$failed $family"
    return 1
  fi
}
winpath() { local path=${1//\//\\}; echo "Z:$path"; }
# Screens are taken in the first family only; elsewhere the driver is handed an empty file.
shooting=1
shoot() {
  if [ "$shooting" = 1 ]; then
    import -window root "png:$shots/$1.png.tmp" && mv "$shots/$1.png.tmp" "$shots/$1.png"
  else
    : >"$HARNESS_DIR/noshots/$1.png"
  fi
}
screens() { if [ "$shooting" = 1 ]; then winpath "$shots"; else winpath "$HARNESS_DIR/noshots"; fi; }
# walk ARG...: the i686 walkthrough driver; takes the screenshots it asks for. Its output goes
# through a file: programs it starts may outlive it and would hold a pipe open.
walk() {
  local out=$HARNESS_DIR/walk.out pid status
  timeout 1200 "$WINE32" "$i686/tools/walkthrough/walkthrough.exe" "$@" </dev/null >"$out" 2>&1 &
  pid=$!
  tail -n +1 -s 0.2 -f --pid=$pid "$out" | while read -r word rest; do
    rest=${rest%$'\r'}  # Wine's console ends lines with CR LF
    if [ "$word" = SHOT ]; then
      shoot "$rest" && [ "$shooting" = 1 ] && echo "  saved $rest.png"
    else
      echo "  $word $rest"
    fi
  done
  wait $pid
  status=$?
  if [ $status != 0 ]; then
    import -window root "png:$shots/failed-walk-$family.png"
    echo "  the screen is in failed-walk-$family.png; Wine's processes:"
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
sessionKey='HKLM\System\CurrentControlSet\Control\Session Manager'
reg() { "$WINE" reg "$@" </dev/null 2>&1 | tr -d '\r'; }
# registered [VIEW]: the uninstall entry's values, in the view a 32-bit program writes to (on
# WoW64 /reg:32, which $WINE's 64-bit reg does not read by default) or in /reg:32, /reg:64.
view32=/reg:32
registered() { reg query "$uninstallKey" "${1:-$view32}"; }
# unregistered: reg itself says that the key is not there.
unregistered() { [[ $(registered "$@") == *'Unable to find'* ]]; }
value() { sed -n "s/^ *$1 *REG_SZ *//p" <<<"$2"; }
# The files a run listed for removal at the restart: the NT family's value (its names,
# one a line), and the 9x family's WININIT.INI [rename] section.
pending_nt() { reg query "$sessionKey" /v PendingFileRenameOperations | sed -n 's/^ *PendingFileRenameOperations *REG_MULTI_SZ *//p' | sed 's/\\0/\n/g'; }
wininit() { tr -d '\r' <"$WINEPREFIX/drive_c/windows/wininit.ini" 2>/dev/null; }
# A [rename] line of the 9x family: "NUL=" and a path of short (8.3) names only.
short_rename_lines() {
  local lines
  lines=$(wininit | sed -n '/^\[rename\]/,/^\[/p' | grep '^NUL=')
  [ -n "$lines" ] && ! grep -qvE '^NUL=[A-Z]:(\\[A-Z0-9_~!#$%&-]{1,8}(\.[A-Z0-9_~!#$%&-]{1,3})?)+$' <<<"$lines"
}
# lists_for_restart NAME...: the family's list names a moved-aside copy of each file NAME.
lists_for_restart() {
  local name path
  for name in "$@"; do
    if [ "$nine_x" = 1 ]; then
      # The short path names the copy: Wine turns it back into the long one.
      for path in $(wininit | sed -n 's/^NUL=//p'); do
        "$WINE" winepath -u "$path" </dev/null 2>/dev/null | grep -q "/$name\.vminst-old" && continue 2
      done
      return 1
    else
      pending_nt | grep -qi "\\\\$name\.vminst-old" || return 1
    fi
  done
}
clear_restart_lists() {
  reg delete "$sessionKey" /v PendingFileRenameOperations /f >/dev/null
  rm -f "$WINEPREFIX/drive_c/windows/wininit.ini"
}
# files_as_built: the payload's files in the data folder with their contents and stored times.
files_as_built() {
  local name source time
  while IFS=$'\t' read -r name source time; do
    case $name in '' | '#'*) continue ;; esac
    check "$name as built" cmp -s "$source" "$folder/$name"
    check "$name stored time $time" test "$(stat -c %Y "$folder/$name" 2>/dev/null)" = "$time"
  done <"$i686/payloads/productPayload/productPayload.manifest"
}
# running_program: the Linux process that runs the installed program, once it has mapped it.
running_program() {
  grep -l "$folder/velmorant.exe" /proc/[0-9]*/maps 2>/dev/null | head -n 1 | cut -d/ -f3
}

# wine_for ARCH: the Wine loader and server of a prefix of that architecture (win32, win64).
wine_for() {
  if [ "$1" = win32 ]; then
    WINE=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32
  else
    WINE=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
  fi
}
prefix_key() {
  echo "$1 $(dpkg-query -W -f='${Version} ' wine32:i386 wine64) $(declare -f prepare_prefix | sha256sum | cut -c1-16)"
}
# make_prefixes ARCH...: a new prefix of each architecture that the build tree does not keep
# for this Wine and this prepare_prefix, each packed into the build tree for the next runs and
# left in $HARNESS_DIR/new-ARCH for this one. A new prefix takes minutes under emulation, most
# of them in one process at a time: the prefixes are made side by side, one per processor.
make_prefixes() {
  local arch cache makers=()
  for arch in "$@"; do
    cache=/exchange/cache/$arch
    [ "$(cat "$cache/prefix.key" 2>/dev/null)" = "$(prefix_key "$arch")" ] && continue
    (
      family=$arch
      export WINEARCH=$arch WINEPREFIX=$HARNESS_DIR/new-$arch/prefix
      wine_for "$arch"
      rm -rf "$cache" "$HARNESS_DIR/new-$arch" && mkdir -p "$cache" "$HARNESS_DIR/new-$arch"
      step "a new $arch prefix"
      prepare_prefix
      step "packing the $arch prefix for the next runs"
      tar -C "$HARNESS_DIR/new-$arch" -I 'zstd -1 -T0' -cf "$cache/prefix.tar.zst.tmp" prefix &&
        mv "$cache/prefix.tar.zst.tmp" "$cache/prefix.tar.zst" && prefix_key "$arch" >"$cache/prefix.key"
      step "the $arch prefix made"
    ) &
    makers+=($!)
  done
  # Only these: Xvfb runs in the background too.
  [ "${#makers[@]}" = 0 ] || wait "${makers[@]}"
}

# use_prefix ARCH: a fresh prefix of that architecture in $WINEPREFIX, with its server: the one
# make_prefixes made in this run, or a copy of the one the build tree keeps, untouched by any run.
use_prefix() {
  local arch=$1 cache=/exchange/cache/$1
  stop_server "$HARNESS_DIR/pids/server"
  export WINEARCH=$arch WINEPREFIX=$HARNESS_DIR/prefix
  wine_for "$arch"
  rm -rf "$WINEPREFIX"
  if [ -d "$HARNESS_DIR/new-$arch/prefix" ]; then
    mv "$HARNESS_DIR/new-$arch/prefix" "$WINEPREFIX"
  elif [ "$(cat "$cache/prefix.key" 2>/dev/null)" = "$(prefix_key "$arch")" ]; then
    step "the $arch prefix kept in the build tree, unpacked"
    tar -C "$HARNESS_DIR" --zstd -xf "$cache/prefix.tar.zst"
  fi
  [ -d "$WINEPREFIX" ] && start_server "$HARNESS_DIR/pids/server"
}

# run_family NAME VERSION: install, upgrade over the running program, uninstall, with Wine
# reporting VERSION, in the prefix in use.
run_family() {
  [[ " $chosen " == *" $1 "* ]] || return 0
  family=$1
  local version=$2 values uninstall group link file target pid
  nine_x=0
  [ "$version" = win98 ] && nine_x=1
  reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null
  clear_restart_lists
  mkdir -p "$HARNESS_DIR/noshots"
  folder=$WINEPREFIX/drive_c/$programFiles/Velmorant
  local dataFolder="C:\\$programFiles\\Velmorant"

  step "setup.exe: a whole install with the default answers, final No"
  walk "$(winpath "$i686/setup.exe")" "$(screens)" --final-no
  check "the install went through and setup.exe ended with 0" test $? = 0 || return
  files_as_built
  values=$(registered)
  check "DisplayName" test "$(value DisplayName "$values")" = Velmorant
  uninstall=$(value UninstallString "$values")
  check "UninstallString" test "$uninstall" = "\"$dataFolder\\qxuninst.exe\""
  check "INI value" test "$({ tr -d '\r' <"$WINEPREFIX/drive_c/windows/velmorant.ini"; } 2>/dev/null)" = \
    "$(printf '[Options]\ndataDir=%s' "$dataFolder")"
  group=$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs)/Velmorant
  for link in Velmorant.lnk:velmorant.exe Uninstall.lnk:qxuninst.exe; do
    file=$group/${link%%:*}
    target="$dataFolder\\${link#*:}"
    check "${link%%:*}: target $target" holds "$file" "$target"
    check "${link%%:*}: working folder $dataFolder" holds "$file" "$dataFolder"
    check "${link%%:*}: no arguments, a normal window" plain_link "$file"
  done
  if [ "$family" = wow64 ]; then
    check "the entry is in the 32-bit registry view" test -n "$(value DisplayName "$(registered /reg:32)")"
    check "and not in the 64-bit view" unregistered /reg:64
    check "Wine's list of installed programs shows it" \
      grep -qx 'Velmorant|||Velmorant' <<<"$("$WINE" uninstaller --list </dev/null 2>/dev/null | tr -d '\r')"
  fi

  step "the installed program kept running, setup.exe run again over it"
  (cd "$folder" && exec "$WINE32" "$dataFolder\\velmorant.exe" </dev/null >/dev/null 2>&1) &
  for i in $(seq 1 600); do pid=$(running_program); [ -n "$pid" ] && break; sleep 0.2; done
  check "the installed program runs" test -n "$pid"
  walk "$(winpath "$i686/setup.exe")" "$(screens)" --final-no
  check "the upgrade went through and setup.exe ended with 0" test $? = 0
  files_as_built
  check "the replaced program's copy is listed for removal at the restart" lists_for_restart velmorant.exe
  if [ "$nine_x" = 1 ]; then
    check "WININIT.INI [rename] lines of short paths only" short_rename_lines
  fi
  "$WINE" taskkill /f /im velmorant.exe </dev/null >/dev/null 2>&1
  for i in $(seq 1 100); do [ -z "$(running_program)" ] && break; sleep 0.2; done

  step "qxuninst.exe started from the UninstallString value, answered Yes"
  walk --uninstall "$uninstall" "$(screens)"
  check "the uninstaller went through and ended with 0" test $? = 0
  # Its helper deletes the uninstaller and the folder once the uninstaller has ended; the
  # moved-aside copy of the replaced program waits for the restart.
  for i in $(seq 1 120); do
    [ -z "$(ls -A "$folder" 2>/dev/null | grep -v '\.vminst-old')" ] && break
    sleep 0.5
  done
  check "nothing of the installation is left in the data folder but copies listed for the restart" \
    test -z "$(ls -A "$folder" 2>/dev/null | grep -v '\.vminst-old')"
  check "the Start-menu group is gone" test ! -e "$group"
  check "the uninstall entry is gone" unregistered
  check "the INI value stays (the next install proposes the folder)" \
    grep -qsF "dataDir=$dataFolder" "$WINEPREFIX/drive_c/windows/velmorant.ini"
  # The next family starts from nothing of this one's.
  rm -rf "$folder" "$WINEPREFIX/drive_c/windows/velmorant.ini"
  shooting=0
}

start_display "$HARNESS_DIR/pids/xvfb" || exit 1

win32Families=0
[[ " $chosen " == *" "@(win98|nt4|xp|win10)" "* ]] && win32Families=1
make_prefixes $([ "$win32Families" = 1 ] && echo win32) $([[ " $chosen " == *" wow64 "* ]] && echo win64)
if [ "$win32Families" = 1 ]; then
  family=win32
  use_prefix win32 || exit 1
  check "a win32 prefix" test -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" \
    -a ! -d "$WINEPREFIX/drive_c/windows/syswow64" || exit 1
  programFiles="Program Files"
  run_family win98 win98
  run_family nt4 nt40
  run_family xp winxp
  run_family win10 win10
fi
if [[ " $chosen " == *" wow64 "* ]]; then
  family=wow64
  use_prefix win64 || exit 1
  check "a win64 prefix with its 32-bit side" \
    test -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" || exit 1
  programFiles="Program Files (x86)"
  run_family wow64 win10
fi

stop_server "$HARNESS_DIR/pids/server"
kill "$(cat "$HARNESS_DIR/pids/xvfb")" 2>/dev/null
family=all
step "done: $failures failed${failed:+, in:$failed}"
[ "$failures" = 0 ]

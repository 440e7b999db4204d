# Shared by the harness scripts: one place that says how Wine is run for the tests.
# Everything lives below $HARNESS_DIR (inside the build tree) or /tmp.
: "${HARNESS_DIR:?HARNESS_DIR must name the harness folder in the build tree}"
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/bin/wineserver
TEMPLATE_PREFIX=$HARNESS_DIR/prefix
# The prefix the tests without a fresh prefix share: a copy, so that what they leave never
# reaches the fresh copies of the template.
SHARED_PREFIX=$HARNESS_DIR/shared
export WINEDEBUG=-all
# No Mono/Gecko installers, and no winemenubuilder: it would write .desktop files into the home.
# No debugger: a crashing program ends at once, instead of waiting in winedbg until the
# test's bound.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
# Wine keeps caches and menus below HOME: keep them in the build tree too.
export HOME=$HARNESS_DIR/home
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
mkdir -p "$HOME" "$HARNESS_DIR/pids"

# The socket of a prefix's server. Wine names its folder after the prefix's device and inode;
# the folder above it is /tmp/.wine-<uid> or, in Debian's build, a /tmp/wine-XXXXXX of its own.
server_socket() {
  local name
  name=$(printf 'server-%x-%x' "$(stat -c %d "$1")" "$(stat -c %i "$1")")
  ls /tmp/.wine-"$(id -u)"/"$name"/socket /tmp/wine-*/"$name"/socket 2>/dev/null | head -n 1
}

# Starts a persistent server for the prefix in $WINEPREFIX and records its PID in $1.
# Root's file-permission override is dropped, so read-only files really are read-only (EACCES).
start_server() {
  local pidfile=$1 pid i
  # A server left from creating the prefix would make ours exit at once.
  "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
  "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
  setsid setpriv --bounding-set=-dac_override,-dac_read_search,-fowner \
    "$WINESERVER" -f -p </dev/null >/dev/null 2>&1 &
  pid=$!
  echo "$pid" >"$pidfile"
  for i in $(seq 1 200); do
    [ -n "$(server_socket "$WINEPREFIX")" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  if ! kill -0 "$pid" 2>/dev/null || [ -z "$(server_socket "$WINEPREFIX")" ]; then
    echo "harness: wineserver did not come up for $WINEPREFIX" >&2
    return 1
  fi
  # Boot the services once, detached from any pipe the caller holds.
  "$WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1
}

# Stops the server whose PID is in $1 (the prefix in $WINEPREFIX), waiting until it is gone.
stop_server() {
  local pidfile=$1 pid i
  [ -f "$pidfile" ] || return 0
  pid=$(cat "$pidfile")
  if kill -0 "$pid" 2>/dev/null; then
    "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    for i in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
    kill -9 "$pid" 2>/dev/null || true
  fi
  rm -f "$pidfile"
}

# Starts a private Xvfb display (1024 x 768, 24 bits), records its PID in $1 and exports
# DISPLAY for it.
start_display() {
  local pidfile=$1 disp=$HARNESS_DIR/display i
  rm -f "$disp"
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$disp" </dev/null >/dev/null 2>&1 &
  echo $! >"$pidfile"
  for i in $(seq 1 200); do [ -s "$disp" ] && break; sleep 0.05; done
  [ -s "$disp" ] || { echo "harness: Xvfb did not start" >&2; return 1; }
  export DISPLAY=:$(tr -d '\n' <"$disp")
}

# Makes a new prefix in $WINEPREFIX ready for the tests, with $WINE and $WINESERVER.
prepare_prefix() {
  "$WINE" wineboot -i </dev/null >/dev/null 2>&1
  # Without a window manager Wine must not wait for one: every GUI process would exit ~2 s late.
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  "$WINESERVER" -w
  # The user folders are symlinks into the Linux home: make them real folders of the prefix.
  for link in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$link" ]; then rm -f "$link"; mkdir -p "$link"; fi
  done
}

#!/bin/bash
# CTest's emulator: runs one Windows program under wine64 in the test prefix and exits with its code.
#   FRESH_PREFIX=1          run in a private copy of the template prefix, with its own server
#   TMPFS_DRIVE=t:200k      map a tmpfs of that size as the drive (a really full disk); needs FRESH_PREFIX
#   KEEP_RUN=1              keep the private prefix afterwards, for a look at what the run left
#   TEST_TIMEOUT=s          CTest's bound: the program is ended 20 s before it, with a message,
#                           so the clean-up below still runs (CTest's own kill would skip it)
# The program's output goes through a file: Wine's server would otherwise hold CTest's pipe open.
set -u
if [ -z "${HARNESS_DIR:-}" ]; then
  echo "wine-run: HARNESS_DIR is not set (tests are run by ctest, which sets it)" >&2
  exit 2
fi
. "$(dirname "$0")/common.sh"
if [ ! -f "$HARNESS_DIR/env" ]; then
  echo "wine-run: the harness is not up; run the tests through ctest" >&2
  exit 2
fi
. "$HARNESS_DIR/env"
export DISPLAY

run=""
cleanup() {
  if [ -n "$run" ]; then
    stop_server "$HARNESS_DIR/pids/server-${run##*/}"
    mountpoint -q "$run/tmpfs" 2>/dev/null && umount "$run/tmpfs"
    [ "${KEEP_RUN:-0}" = 1 ] && echo "wine-run: kept $run" || rm -rf "$run"
  fi
  rm -f "${out:-}"
}
trap cleanup EXIT

if [ "${FRESH_PREFIX:-0}" = 1 ]; then
  mkdir -p "$HARNESS_DIR/runs"
  run=$(mktemp -d "$HARNESS_DIR/runs/XXXXXX")
  cp -a "$TEMPLATE_PREFIX" "$run/prefix"
  export WINEPREFIX=$run/prefix
  if [ -n "${TMPFS_DRIVE:-}" ]; then
    letter=${TMPFS_DRIVE%%:*} size=${TMPFS_DRIVE#*:}
    mkdir -p "$run/tmpfs"
    # Mode 755, as a fixed disk's root: a tmpfs root is writable by everyone by default, which
    # the setup program rightly questions.
    mount -t tmpfs -o "size=$size,mode=755" tmpfs "$run/tmpfs" || { echo "wine-run: cannot mount a tmpfs" >&2; exit 2; }
    ln -sfn "$run/tmpfs" "$WINEPREFIX/dosdevices/$letter:"
  fi
  # After the drive is there: Wine's mount manager, started with the server, reads the drives
  # once, and a drive it does not know has no volume information.
  start_server "$HARNESS_DIR/pids/server-${run##*/}" || exit 2
else
  export WINEPREFIX=$SHARED_PREFIX
fi

# Wine's own errors go to the test's log, so that a failure inside Wine says what it was.
export WINEDEBUG=fixme-all
out=$(mktemp /tmp/wine-run.XXXXXX)
bound=$(( ${TEST_TIMEOUT:-120} > 40 ? ${TEST_TIMEOUT:-120} - 20 : ${TEST_TIMEOUT:-120} ))
timeout -k 5 "$bound" "$WINE" "$@" </dev/null >"$out" 2>&1
rc=$?
grep -v 'failed to open L"C:\\\\windows\\\\syswow64\\\\rundll32.exe"' "$out"
if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
  echo "wine-run: ${TEST_NAME:-$1} did not finish within $bound s: it was waiting for a window," \
       "a process or a file that never came (see its last lines above); its Wine processes" \
       "were ended${run:+ and its prefix removed}" >&2
  rc=1
fi
exit $rc

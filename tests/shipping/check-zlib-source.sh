#!/bin/bash
# check-zlib-source.sh SOURCE TOOLCHAIN SCRATCH: a configuration without zlib's source stops
# with a message that names the way out; with VELMORANT_SYSTEM_ZLIB=ON it goes on with the
# mingw library.
set -u
source=$1 toolchain=$2 scratch=$3
rm -rf "$scratch"
configure() {
  cmake -S "$source" -B "$scratch" -G Ninja --toolchain "$toolchain" -DBUILD_TESTING=OFF \
    -DVELMORANT_ZLIB_SOURCE="$scratch/no-zlib-here" "$@" >"$scratch.log" 2>&1
}
status=0
if configure; then
  echo "configured without zlib's source"; status=1
elif ! grep -q "zlib's source is missing" "$scratch.log" || ! grep -q tools/deps.sh "$scratch.log" ||
     ! grep -q VELMORANT_SYSTEM_ZLIB "$scratch.log"; then
  echo "stopped, but without saying why:"; cat "$scratch.log"; status=1
else
  echo "without zlib's source: stopped, naming tools/deps.sh and VELMORANT_SYSTEM_ZLIB"
fi
if ! configure -DVELMORANT_SYSTEM_ZLIB=ON || ! grep -q "zlib: the mingw library" "$scratch.log"; then
  echo "VELMORANT_SYSTEM_ZLIB=ON did not configure with the mingw library:"; cat "$scratch.log"; status=1
else
  echo "with VELMORANT_SYSTEM_ZLIB=ON: the mingw library"
fi
rm -rf "$scratch" "$scratch.log"
exit $status

#!/bin/bash
# Builds both architectures: build/i686 (the shipping setup.exe) and build/x86_64 (tested).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
for arch in i686 x86_64; do
  # Tests run the x86_64 build only; the i686 tree builds the shipping programs and, to
  # check them against the 32-bit calling conventions, the sequence's traced tests.
  extra=()
  [ "$arch" = x86_64 ] && extra=(-DSHIPPING_SETUP="$root/build/i686/setup.exe")
  if [ ! -f "build/$arch/build.ninja" ]; then
    cmake -S . -B "build/$arch" -G Ninja --toolchain "cmake/mingw-$arch.cmake" "${extra[@]}" >/dev/null
  fi
  cmake --build "build/$arch"
done
echo "setup.exe (i686, shipping): $(stat -c %s build/i686/setup.exe) bytes"

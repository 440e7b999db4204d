#!/bin/bash
# build.sh: builds both architectures with the presets of CMakePresets.json: build/i686 (the
# shipping programs and the sequence's traced tests, built to check the 32-bit calling
# conventions) and build/x86_64 (the same programs and the tests, which check
# the i686 setup.exe too).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
for arch in i686 x86_64; do
  [ -f "build/$arch/build.ninja" ] || cmake --preset "$arch" >/dev/null
  cmake --build --preset "$arch"
done
echo "setup.exe (i686, shipping): $(stat -c %s build/i686/setup.exe) bytes"

#!/bin/bash
# Installs what is missing, builds both architectures and runs every test.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/deps.sh"
"$root/tools/build.sh"
cd "$root/build/x86_64"
ctest --output-on-failure -j2 "$@"

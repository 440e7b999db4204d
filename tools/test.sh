#!/bin/bash
# Installs what is missing, builds both architectures and runs every test; extra arguments go
# to ctest. As root: the tests mount small tmpfs drives (a full disk) and start Wine servers
# without root's file-permission override, which needs the capability bounding set.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "$(id -u)" -ne 0 ]; then
  echo "test.sh: the tests need root (tmpfs mounts, the capability bounding set): run it as root, e.g. sudo $0" >&2
  exit 1
fi
"$root/tools/deps.sh"
"$root/tools/build.sh"
cd "$root"
ctest --preset x86_64 "$@"

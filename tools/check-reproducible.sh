#!/bin/bash
# check-reproducible.sh [COMMIT]: builds the shipping programs twice from the same commit
# (default HEAD), in two fresh clones under /tmp whose folder names differ in length, for both
# architectures, and compares setup.exe, velmorant.exe and qxuninst.exe byte for byte.
# Exit 0 when every pair is identical. KEEP=1 keeps the two folders for a closer look.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$root" rev-parse "${1:-HEAD}")
work=$(mktemp -d /tmp/velmorant-repro.XXXXXX)
cleanup() { [ "${KEEP:-0}" = 1 ] && echo "kept $work" || rm -rf "$work"; }
trap cleanup EXIT

folders=("$work/a" "$work/a-second-build-in-a-longer-folder")
for folder in "${folders[@]}"; do
  git clone -q --no-checkout "$root" "$folder"
  git -C "$folder" checkout -q --detach "$commit"
  for arch in i686 x86_64; do
    echo "== building $arch in $folder"
    cmake -S "$folder" -B "$folder/build/$arch" -G Ninja \
      --toolchain "$folder/cmake/mingw-$arch.cmake" -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$folder/build/$arch" --target setup velmorant qxuninst >/dev/null
  done
done

status=0
for arch in i686 x86_64; do
  for file in setup.exe product/velmorant.exe uninstall/qxuninst.exe; do
    first=${folders[0]}/build/$arch/$file second=${folders[1]}/build/$arch/$file
    if cmp -s "$first" "$second"; then
      echo "same       $arch $file ($(stat -c %s "$first") bytes, sha256 $(sha256sum <"$first" | cut -c1-16))"
    else
      echo "DIFFERENT  $arch $file: $(cmp -l "$first" "$second" | wc -l) bytes differ"
      status=1
    fi
  done
done
exit $status

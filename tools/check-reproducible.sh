#!/bin/bash
# check-reproducible.sh [COMMIT]: builds the shipping configuration twice from the same commit
# (default HEAD), in two fresh clones under /tmp whose folder names differ in length, for both
# architectures, and compares setup.exe, velmorant.exe and qxuninst.exe byte for byte.
# The shipping configuration: zlib built from its source (each clone gets the source that
# tools/deps.sh fetched, as a fresh clone would after running it), no tests. With
# VELMORANT_SIGN_PKCS12 (and VELMORANT_SIGN_PASSWORD) in the environment both builds are signed
# with that certificate, without a timestamp and at the commit's time; otherwise unsigned.
# VELMORANT_PRODUCT, when set, names the product file both builds are made for. Exit 0 when
# every pair is identical. KEEP=1 keeps the two folders for a closer look.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$root" rev-parse "${1:-HEAD}")
"$root/tools/deps.sh"
work=$(mktemp -d /tmp/velmorant-repro.XXXXXX)
cleanup() { [ "${KEEP:-0}" = 1 ] && echo "kept $work" || rm -rf "$work"; }
trap cleanup EXIT

signing=(-DVELMORANT_SIGN_PKCS12="${VELMORANT_SIGN_PKCS12:-}" -DVELMORANT_TIMESTAMP_URL=)
# Another product than the project's own: VELMORANT_PRODUCT names its product file.
if [ -n "${VELMORANT_PRODUCT:-}" ]; then
  signing+=(-DVELMORANT_PRODUCT="$(realpath "$VELMORANT_PRODUCT")")
fi
if [ -n "${VELMORANT_SIGN_PKCS12:-}" ]; then
  export SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct "$commit")
  echo "signing both builds with $VELMORANT_SIGN_PKCS12, no timestamp, signing time $SOURCE_DATE_EPOCH"
else
  echo "unsigned (no VELMORANT_SIGN_PKCS12)"
fi

folders=("$work/a" "$work/a-second-build-in-a-longer-folder")
for folder in "${folders[@]}"; do
  git clone -q --no-checkout "$root" "$folder"
  git -C "$folder" checkout -q --detach "$commit"
  mkdir -p "$folder/build/zlib"
  cp -a "$root/build/zlib/src" "$folder/build/zlib/src"
  for arch in i686 x86_64; do
    echo "== building $arch in $folder"
    (cd "$folder" && cmake --preset "$arch" --no-warn-unused-cli -DBUILD_TESTING=OFF "${signing[@]}") \
      >"$work/configure.log"
    if ! grep -q '^-- zlib: built from' "$work/configure.log"; then
      echo "not the shipping configuration:"; cat "$work/configure.log"; exit 1
    fi
    sed -n 's/^-- \(zlib\|signing\): /   \1: /p' "$work/configure.log"
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

#!/bin/bash
# Installs the Debian packages the build and the tests need; quick when all are present.
set -eu
packages=(
  cmake ninja-build g++ zlib1g-dev libdeflate-dev googletest
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 xvfb xdotool imagemagick
  clang libclang-rt-14-dev
)
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo=sudo; fi
missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "deps: installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# zlib's own source, from Debian's source packages: the programs build their inflate from it,
# small (-Os, no gzip support they never use) instead of the mingw library built for speed.
root=$(cd "$(dirname "$0")/.." && pwd)
zlib=$root/build/zlib
if [ ! -f "$zlib/src/inflate.c" ]; then
  list=/etc/apt/sources.list.d/velmorant-deb-src.sources
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' |
      ${sudo:-} tee "$list" >/dev/null
    ${sudo:-} apt-get update -qq
  fi
  rm -rf "$zlib" && mkdir -p "$zlib"
  (cd "$zlib" && apt-get source --download-only -qq zlib >/dev/null 2>&1) ||
    { ${sudo:-} apt-get update -qq; (cd "$zlib" && apt-get source --download-only -qq zlib >/dev/null); }
  tar -xjf "$zlib"/zlib_*.orig.tar.* -C "$zlib"
  mv "$zlib"/zlib-*/ "$zlib/src"
  echo "deps: zlib source in $zlib/src"
fi

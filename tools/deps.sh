#!/bin/bash
# Installs the Debian packages the build and the tests need; quick when all are present.
set -eu
packages=(
  cmake ninja-build g++ zlib1g-dev googletest
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 xvfb xdotool imagemagick
  clang libclang-rt-14-dev
)
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo=sudo; fi
# Another install may hold the dpkg or apt lock for a while: wait for it, then try again.
retry() {
  local try
  for try in 1 2 3 4 5; do
    "$@" && return 0
    echo "deps: '$*' failed (try $try of 5); trying again in 30 s" >&2
    sleep 30
  done
  return 1
}
apt_get() { retry $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@"; }
missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "deps: installing ${missing[*]}"
  apt_get update -qq
  apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The guest that runs the shipping i686 programs under real 32-bit Wine (tests/guest): QEMU,
# Debian's kernel and its modules, a static busybox for the guest's initramfs, and 32-bit Wine,
# which needs the i386 architecture (zstd packs the guest's Wine prefix between runs). This
# machine's kernel cannot run 32-bit Wine; the guest's can.
guest_packages=(qemu-system-x86 linux-image-amd64 busybox-static cpio kmod zstd wine32:i386)
missing=()
for p in "${guest_packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "deps: installing for the 32-bit guest: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    retry $sudo dpkg --add-architecture i386
  fi
  apt_get update -qq
  apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
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

#!/bin/bash
# deps.sh [PACKAGE...]: installs the Debian packages the build and the tests need (and any
# named), through apt as the machine has it configured, and fetches zlib's Debian source
# package into build/zlib/src. Quick when everything is there. As root, or as a user who may
# use sudo.
set -eu
packages=(
  cmake ninja-build g++ zlib1g-dev libdeflate-dev libtomlplusplus-dev googletest
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 xvfb xdotool imagemagick
  clang libclang-rt-14-dev
  osslsigncode openssl bzip2
  "$@"
)
if [ "$(id -u)" -eq 0 ]; then as_root=(); else as_root=(sudo); fi
# Another install may hold apt's lock for a while: wait for it rather than fail.
apt_get() { "${as_root[@]}" apt-get -o DPkg::Lock::Timeout=900 "$@"; }

# install_missing WHAT PACKAGE...: installs those of the packages that are not installed yet.
install_missing() {
  local what=$1 p status
  shift
  local missing=()
  for p in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "deps: installing$what: ${missing[*]}"
  apt_get update -qq
  DEBIAN_FRONTEND=noninteractive apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

install_missing "" "${packages[@]}"

# The guest that runs the shipping i686 programs under real 32-bit Wine (tests/guest): QEMU,
# Debian's kernel and its modules, a static busybox for the guest's initramfs, and 32-bit Wine,
# which needs the i386 architecture (zstd packs the guest's Wine prefix between runs). This
# machine's kernel cannot run 32-bit Wine; the guest's can.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
install_missing " for the 32-bit guest" qemu-system-x86 linux-image-amd64 busybox-static cpio kmod zstd wine32:i386

# The Japanese locale: under it Wine runs programs with the double-byte ANSI code page 932,
# which one whole-run test needs (without it Wine falls back to code page 1252).
if ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
  install_missing " for the Japanese locale" locales
  "${as_root[@]}" sed -i 's/^# *\(ja_JP\.UTF-8 UTF-8\)$/\1/' /etc/locale.gen
  grep -qx 'ja_JP.UTF-8 UTF-8' /etc/locale.gen ||
    echo 'ja_JP.UTF-8 UTF-8' | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
  "${as_root[@]}" locale-gen >/dev/null
  echo "deps: generated the locale ja_JP.UTF-8"
fi

# zlib's own source: the programs build their inflate from it, small (-Os, no gzip support
# they never use), instead of the mingw library built for speed (cmake/zlib.cmake).
root=$(cd "$(dirname "$0")/.." && pwd)
zlib=$root/build/zlib
[ -f "$zlib/src/inflate.c" ] && exit 0

zlib_source_known() { apt-cache showsrc zlib 2>/dev/null | grep -q '^Package: zlib$'; }

# The deb-src entries of the machine's own deb entries: the same addresses, suites,
# components and keys, for source packages. Prints a one-line list (from the .list files)
# and, after a line "--", a deb822 list (from the .sources files).
derived_entries() {
  local etc=/etc/apt
  cat "$etc/sources.list" "$etc"/sources.list.d/*.list 2>/dev/null |
    sed -n 's/^[[:space:]]*deb[[:space:]]\+\([^#]*\).*$/deb-src \1/p' | sed 's/[[:space:]]*$//' | grep -v 'cdrom:' || true
  echo --
  local file
  for file in "$etc"/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    # One stanza per paragraph; a field may go on over lines that start with a space.
    awk '
      function flush() {
        if (stanza != "" && types ~ /(^|[ \t])deb([ \t]|$)/ && types !~ /deb-src/ &&
            tolower(enabled) != "no")
          printf "Types: deb-src\n%s\n\n", stanza
        stanza = ""; types = ""; enabled = ""; field = ""
      }
      /^[ \t]*$/ { flush(); next }
      /^#/ { next }
      /^[ \t]/ { if (field != "types") stanza = stanza "\n" $0; next }
      {
        field = tolower($0); sub(/:.*/, "", field)
        value = $0; sub(/^[^:]*:[ \t]*/, "", value)
        if (field == "types") { types = value; next }
        if (field == "enabled") enabled = value
        stanza = (stanza == "" ? "" : stanza "\n") $0
      }
      END { flush() }' "$file"
  done
}

if ! zlib_source_known; then
  apt_get update -qq || true
fi
if ! zlib_source_known; then
  entries=$(derived_entries)
  lines=${entries%%--*}
  stanzas=${entries#*--}
  echo "deps: adding deb-src entries for the configured deb entries, to fetch zlib's source"
  if [ -n "${lines//[[:space:]]/}" ]; then
    printf '%s' "$lines" | "${as_root[@]}" tee /etc/apt/sources.list.d/velmorant-deb-src.list >/dev/null
  fi
  if [ -n "${stanzas//[[:space:]]/}" ]; then
    printf '%s\n' "${stanzas#$'\n'}" | "${as_root[@]}" tee /etc/apt/sources.list.d/velmorant-deb-src.sources >/dev/null
  fi
  apt_get update -qq || true
  if ! zlib_source_known; then
    echo "deps: no configured apt source offers zlib's source package" >&2
    exit 1
  fi
fi

# Only the upstream tarball is used, which the versions of one release share: take the first
# version whose files the configured mirrors really have.
fetched=""
for version in $(apt-cache showsrc zlib | sed -n 's/^Version: //p'); do
  rm -rf "$zlib" && mkdir -p "$zlib"
  if (cd "$zlib" && apt-get source --download-only -qq "zlib=$version" >"$zlib/fetch.log" 2>&1); then
    fetched=$version
    break
  fi
done
if [ -z "$fetched" ]; then
  echo "deps: could not fetch zlib's source package:" >&2
  cat "$zlib/fetch.log" >&2
  exit 1
fi
rm -f "$zlib/fetch.log"
tar -xf "$zlib"/zlib_*.orig.tar.* -C "$zlib"
mv "$zlib"/zlib-*/ "$zlib/src"
echo "deps: zlib source $fetched in $zlib/src"

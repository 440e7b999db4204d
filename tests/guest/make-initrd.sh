#!/bin/bash
# make-initrd.sh GUEST_DIR: the guest's initramfs (GUEST_DIR/initrd.gz) from Debian's static
# busybox, the newest installed Debian kernel's own modules for virtio, 9p and overlay, and
# tests/guest/init; GUEST_DIR/kernel names that kernel's image for boot.sh.
set -eu
out=$1
here=$(cd "$(dirname "$0")" && pwd)
kernel=$(ls -v /boot/vmlinuz-* 2>/dev/null | tail -n 1 || true)
kver=${kernel#/boot/vmlinuz-}
if [ -z "$kernel" ] || [ ! -d "/lib/modules/$kver" ] || [ ! -x /usr/bin/busybox ] || ! command -v cpio >/dev/null; then
  echo "make-initrd: needs linux-image-amd64, busybox-static and cpio (run tools/deps.sh)" >&2
  exit 1
fi
tree=$(mktemp -d "${TMPDIR:-/tmp}/velmorant-initrd.XXXXXX")
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{bin,dev,proc,sys,lower,upper,newroot,modules}
cp /usr/bin/busybox "$tree/bin/busybox"
cp "$here/init" "$tree/init"
chmod 755 "$tree/init"
# The modules in the order modprobe would load them, each once, uncompressed for busybox's insmod.
n=0
for module in $(for name in virtio_pci 9pnet_virtio 9p overlay; do
                  modprobe -S "$kver" --show-depends "$name" | sed -n 's/^insmod \([^ ]*\).*/\1/p'
                done | awk '!seen[$0]++'); do
  n=$((n + 1))
  target=$tree/modules/$(printf '%02d' $n)-$(basename "${module%%.ko*}").ko
  case $module in
    *.ko.xz) xz -dc "$module" >"$target" ;;
    *.ko.zst) zstd -qdc "$module" >"$target" ;;
    *.ko.gz) gzip -dc "$module" >"$target" ;;
    *) cp "$module" "$target" ;;
  esac
done
[ "$n" -gt 0 ] || { echo "make-initrd: no modules found for $kver" >&2; exit 1; }
mkdir -p "$out"
(cd "$tree" && find . | LC_ALL=C sort | cpio -o -H newc --quiet --reproducible -R 0:0) | gzip -9n >"$out/initrd.gz.tmp"
mv "$out/initrd.gz.tmp" "$out/initrd.gz"
echo "$kernel" >"$out/kernel"
echo "make-initrd: $out/initrd.gz for $kver ($n modules)"

#!/bin/bash
# boot.sh GUEST_DIR SCRIPT [ARG...]: runs SCRIPT with bash, as root, in a QEMU guest that runs
# Debian's own kernel (which, unlike this machine's, runs 32-bit programs) over the host's
# userland, and exits with the script's status.
#   GUEST_DIR   initrd.gz and kernel (make-initrd.sh, run by the build); also the guest's
#               exchange folder, /exchange in the guest: the script's output is in guest.log,
#               the guest's console in console.log; cache/ is kept between runs
#   GUEST_TIMEOUT  the time bound in seconds (default 2700); the run fails when it is reached
#   GUEST_CACHE    where the machine keeps the guest's cache/ for other build trees (default
#                  /tmp/velmorant-guest-cache): a fresh clone starts from the prefixes made here
# The host's / is shared read-only; the guest writes to a tmpfs overlay that ends with it.
set -u
dir=$(cd "$1" && pwd) script=$(realpath "$2")
shift 2
timeout=${GUEST_TIMEOUT:-2700}
kernel=$(cat "$dir/kernel" 2>/dev/null)
if [ ! -f "$dir/initrd.gz" ] || [ ! -f "$kernel" ]; then
  echo "guest: no initramfs or kernel in $dir (run tools/deps.sh, then build)" >&2
  exit 2
fi
rm -rf "$dir/screens" "$dir/guest.log" "$dir/console.log" "$dir/qemu.log" "$dir/status" "$dir/job" \
  "$dir/host-tmp"
# share_cache FROM TO [ALL]: each kept prefix of FROM (cache/<arch>/prefix.key and its files)
# linked into TO where TO has none of that arch, or with ALL where TO's key differs. The guest
# replaces a file by renaming a new one over it, so the linked files never change under TO.
share_cache() {
  local key arch
  for key in "$1"/*/prefix.key; do
    [ -f "$key" ] || continue
    arch=$(basename "$(dirname "$key")")
    if [ -f "$2/$arch/prefix.key" ] && { [ -z "${3:-}" ] || cmp -s "$key" "$2/$arch/prefix.key"; }; then
      continue
    fi
    mkdir -p "$2" && rm -rf "$2/$arch.new" &&
      { cp -al "$1/$arch" "$2/$arch.new" 2>/dev/null || cp -a "$1/$arch" "$2/$arch.new"; } &&
      rm -rf "$2/$arch" && mv "$2/$arch.new" "$2/$arch"
  done
}
shared=${GUEST_CACHE:-/tmp/velmorant-guest-cache}
share_cache "$shared" "$dir/cache"

printf 'exec /bin/bash %q' "$script" >"$dir/job"
printf ' %q' "$@" >>"$dir/job"
echo >>"$dir/job"
# The guest has a /tmp of its own: the folders of the host's /tmp that hold the script or an
# argument are bound into it.
for path in "$script" "$@"; do
  [ -e "$path" ] && realpath "$path"
done | sed -n 's|^\(/tmp/[^/]*\).*|\1|p' | sort -u >"$dir/host-tmp"

# guest CONSOLE-LOG ARGS...: the QEMU command line of a guest with the host's root and the
# exchange folder, its console written to CONSOLE-LOG; in the array "guest". Its /tmp, a tmpfs
# of half its memory, holds two new Wine prefixes at once (2 GB).
guest_command() {
  guest=(qemu-system-x86_64 -m 6144 -smp 2 -nodefaults -display none -no-reboot
    -serial "file:$1" -kernel "$kernel" -initrd "$dir/initrd.gz"
    -fsdev local,id=hostroot,path=/,security_model=none,readonly=on,multidevs=remap
    -device virtio-9p-pci,fsdev=hostroot,mount_tag=hostroot
    -fsdev "local,id=exchange,path=$dir,security_model=none,multidevs=remap"
    -device virtio-9p-pci,fsdev=exchange,mount_tag=exchange "${@:2}")
}

# KVM where a KVM guest really runs 32-bit programs; here it does not (with -cpu host QEMU
# stops on an MSR, with other models the guest hangs right after the kernel's real-mode setup),
# so the guest runs under TCG, whose qemu64 model is the one that runs 32-bit Wine (-cpu max
# oopses the guest). The probe's answer is kept for this kernel, QEMU and host.
accel=(-accel tcg -cpu qemu64)
if [ -r /dev/kvm ] && [ -w /dev/kvm ]; then
  key="$kernel $(qemu-system-x86_64 --version | head -n 1) $(uname -r)"
  if [ "$(head -n 1 "$dir/kvm-probe" 2>/dev/null)" != "$key" ]; then
    rm -f "$dir/kvm-probe.log"
    guest_command "$dir/kvm-probe.log" -accel kvm -cpu host -append "console=ttyS0 panic=-1 quiet velmorant.probe"
    (timeout 60 "${guest[@]}" </dev/null; :) >/dev/null 2>&1  # quiet when QEMU aborts
    answer=tcg
    grep -q 'velmorant-guest: probe: wine-' "$dir/kvm-probe.log" 2>/dev/null && answer=kvm
    printf '%s\n%s\n' "$key" "$answer" >"$dir/kvm-probe"
  fi
  [ "$(sed -n 2p "$dir/kvm-probe")" = kvm ] && accel=(-accel kvm -cpu host)
fi

echo "guest: booting ${kernel##*/} (${accel[1]}) to run ${script##*/} $*; time bound $timeout s"
start=$SECONDS
guest_command "$dir/console.log" "${accel[@]}" -append "console=ttyS0 panic=-1 quiet"
timeout --kill-after=10 "$timeout" "${guest[@]}" </dev/null >"$dir/qemu.log" 2>&1
rc=$?
echo "guest: ran $((SECONDS - start)) s"
share_cache "$dir/cache" "$shared" all
echo "---- the script's output (guest.log)"
cat "$dir/guest.log" 2>/dev/null
echo "----"
status=$(cat "$dir/status" 2>/dev/null)
if [ "$rc" = 124 ] || [ "$rc" = 137 ]; then
  echo "guest: FAILED: the time bound of $timeout s was reached"
  status=124
elif [ -z "$status" ]; then
  echo "guest: FAILED: the guest ended (QEMU status $rc) without the script's exit status"
  status=125
fi
if [ "$status" != 0 ]; then
  echo "---- the guest's console (console.log), last lines"
  tail -n 40 "$dir/console.log" 2>/dev/null
  tail -n 20 "$dir/qemu.log" 2>/dev/null
  echo "guest: kept $dir/console.log and $dir/guest.log"
fi
exit "$status"

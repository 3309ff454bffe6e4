#!/usr/bin/env bash
# End-to-end test through a real Linux kernel: boots Debian's kernel under
# qemu with an initramfs made here, where uinput_feeder creates gamepads
# exactly as their drivers present them and the unchanged padwatch binary
# watches them through SDL. padwatch's output for each scenario, with
# consecutive identical lines merged (a held axis writes a line per poll),
# must equal the expected lines beside the scenario.
#
#   run_e2e.sh PADWATCH FEEDER WORKDIR
#
# Runs only when asked, with PADWATCH_E2E=1 in the environment (it downloads
# a kernel and takes minutes); otherwise, and when qemu cannot start at all,
# it exits 77 (skipped).
set -euo pipefail
padwatch=$1
feeder=$2
work=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
skip=77

if [ "${PADWATCH_E2E:-}" != 1 ]; then
  echo "SKIPPED: set PADWATCH_E2E=1 to boot the qemu guest (scripts/build.sh test does)" >&2
  exit $skip
fi

qemu=$(command -v qemu-system-x86_64 || true)
if [ -z "$qemu" ]; then
  echo "SKIPPED: qemu-system-x86_64 is not installed" >&2
  exit $skip
fi
if ! "$qemu" -version >/dev/null 2>&1; then
  echo "SKIPPED: qemu-system-x86_64 does not start" >&2
  exit $skip
fi

mkdir -p "$work"
# The kernel: whatever linux-image-amd64 depends on now, fetched once.
package=$(apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-[0-9]/ {print $2; exit}')
if [ -z "$package" ]; then
  echo "cannot resolve the kernel package behind linux-image-amd64 (run apt-get update)" >&2
  exit 1
fi
kernel="$work/$package"
if [ ! -f "$kernel/vmlinuz" ]; then
  rm -rf "$kernel" && mkdir -p "$kernel/deb"
  (cd "$kernel/deb" && apt-get download "$package" >/dev/null 2>&1)
  dpkg-deb --fsys-tarfile "$kernel"/deb/*.deb |
    tar -x -C "$kernel/deb" --wildcards './boot/vmlinuz-*' '*/input/evdev.ko' '*/input/misc/uinput.ko'
  mv "$kernel"/deb/boot/vmlinuz-* "$kernel/vmlinuz"
  find "$kernel/deb" -name '*.ko' -exec mv {} "$kernel/" \;
  rm -rf "$kernel/deb"
fi
echo "kernel: $package"

# The initramfs: busybox, the two modules, padwatch with the libraries it
# links, the feeder and the scenarios.
root="$work/root"
rm -rf "$root"
mkdir -p "$root"/{bin,proc,sys,dev,tmp,e2e,modules}
cp /bin/busybox "$root/bin/busybox"
cp "$kernel"/*.ko "$root/modules/"
cp "$padwatch" "$root/bin/padwatch"
cp "$feeder" "$root/bin/uinput_feeder"
ldd "$padwatch" | grep -oE '/[^ ]+' | while read -r lib; do
  mkdir -p "$root$(dirname "$lib")"
  cp -L "$lib" "$root$lib"
done
cp "$here"/*.feed "$root/e2e/"
cat >"$root/init" <<'INIT'
#!/bin/busybox sh
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp
insmod /modules/evdev.ko
insmod /modules/uinput.ko
# No udev daemon here: SDL watches /dev/input itself.
export SDL_JOYSTICK_DISABLE_UDEV=1
echo
for script in /e2e/*.feed; do
  name=$(basename "$script" .feed)
  padwatch >"/tmp/$name.out" 2>"/tmp/$name.err" &
  pid=$!
  sleep 1
  uinput_feeder "$script" 2>"/tmp/$name.feeder"
  feeder=$?
  sleep 1
  kill -INT "$pid"
  wait "$pid"
  status=$?
  echo "=== BEGIN $name padwatch=$status feeder=$feeder"
  uniq "/tmp/$name.out"
  echo "=== STDERR $name"
  cat "/tmp/$name.err" "/tmp/$name.feeder"
  echo "=== END $name"
done
echo "=== ALL DONE"
reboot -f
INIT
chmod +x "$root/init"
(cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) >"$work/initramfs.gz"

echo "booting the guest ($(du -h "$work/initramfs.gz" | cut -f1) initramfs)"
start=$SECONDS
log="$work/console.log"
# Software emulation: KVM, where /dev/kvm exists at all, cannot be relied
# on in nested virtual machines (seen hanging right after the boot loader).
timeout 900 "$qemu" -machine q35 -accel tcg -m 1024 -smp 2 -nographic -no-reboot \
  -kernel "$kernel/vmlinuz" -initrd "$work/initramfs.gz" \
  -append "console=ttyS0 quiet loglevel=3 panic=-1" >"$log" 2>&1 || true
# Plain lines only: no carriage returns, no terminal control sequences.
tr -d '\r' <"$log" | sed 's/\x1b\[[0-9;?]*[A-Za-z]//g; s/\x1bc//g' >"$log.txt"
echo "guest ran for $((SECONDS - start)) s"
if ! grep -q '^=== ALL DONE' "$log.txt"; then
  echo "the guest did not finish; its console:" >&2
  tail -n 50 "$log.txt" >&2
  exit 1
fi

failed=0
for expected in "$here"/*.out; do
  name=$(basename "$expected" .out)
  sed -n "/^=== BEGIN $name /,/^=== STDERR $name\$/p" "$log.txt" | sed '1d;$d' >"$work/$name.actual"
  header=$(grep "^=== BEGIN $name " "$log.txt" || echo "=== BEGIN $name (missing)")
  if diff -u "$expected" "$work/$name.actual" >"$work/$name.diff" &&
     grep -q "padwatch=0 feeder=0" <<<"$header"; then
    echo "ok   $name"
  else
    echo "FAIL $name ($header)"
    cat "$work/$name.diff"
    sed -n "/^=== STDERR $name\$/,/^=== END $name\$/p" "$log.txt"
    failed=1
  fi
done
exit $failed

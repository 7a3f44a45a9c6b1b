#!/usr/bin/env bash
# Boots a small Linux under QEMU (software emulation) with ISA parallel ports at 0x378 and
# 0x278 and runs the hardware programs there, as root and as a plain user.
#   run_vm_checks.sh BUILD_DIRECTORY
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
kernel=$build/vm/vmlinuz
"$here/fetch_kernel.sh" "$kernel"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
mkdir -p "$root"/{bin,proc,sys,dev,tmp}
cp /bin/busybox "$root/bin/busybox"
cp "$build"/bin/kodrun_voka{1,2,3} "$build"/tests/{run_as,privilege_probe,port_tool} "$root/bin/"
# setcap (libcap2-bin) with its libraries, to give a copy of a program the file capability.
setcap=$(command -v setcap || echo /usr/sbin/setcap)
cp "$setcap" "$root/bin/setcap"
for library in $(ldd "$setcap" | awk '/=> \//{print $3} /^\t\/lib/{print $1}'); do
  mkdir -p "$root$(dirname "$library")"
  cp -L "$library" "$root$library"
done
cp "$here/guest_checks.sh" "$root/init"
chmod 755 "$root/init"
chmod 1777 "$root/tmp"
(cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) >"$work/initrd.gz"

set +e
timeout 300 qemu-system-x86_64 -nodefaults -display none -no-reboot -m 256 \
  -kernel "$kernel" -initrd "$work/initrd.gz" -append "console=ttyS0 panic=-1 quiet" \
  -serial "file:$work/console.log" -serial "file:$work/results.log" \
  -device isa-debug-exit,iobase=0xf4,iosize=0x04 \
  -chardev null,id=pp0 -device isa-parallel,chardev=pp0,iobase=0x378,irq=7 \
  -chardev null,id=pp1 -device isa-parallel,chardev=pp1,iobase=0x278,irq=5,index=1 \
  </dev/null
verdict=$?
set -e
cat "$work/results.log"
# isa-debug-exit: QEMU exits with (value << 1) | 1; the guest writes 0 when every check passed.
if [[ $verdict -ne 1 ]] || ! grep -q "^DONE 0" "$work/results.log"; then
  echo "virtual machine checks failed (QEMU status $verdict); console:"
  tail -n 30 "$work/console.log"
  exit 1
fi

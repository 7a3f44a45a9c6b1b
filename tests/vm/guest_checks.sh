#!/bin/busybox sh
# Runs inside the virtual machine as its /init, with QEMU's parallel ports at 0x378 and 0x278
# (status register 0xD9, data register left at 0xAA by the firmware). Writes one line a check
# to the second serial port and hands the verdict to QEMU through isa-debug-exit.
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
results=/dev/ttyS1
failures=0

port() { /bin/port_tool read "$1"; }  # the data register at $1 (decimal), two hex digits
crlf() { printf '%s\r\n' "$1"; }
check() {  # name, expected, actual
  if [ "$2" = "$3" ]; then echo "PASS $1" >"$results"
  else echo "FAIL $1: expected [$2] got [$3]" | tr '\r\n' '~|' >"$results"; echo >"$results"; failures=$((failures + 1)); fi
}
run() { "$@" 2>/tmp/stderr; echo "status $?"; }

lpt1=888 lpt2=632
check "firmware leaves 0xAA" "AA" "$(port $lpt1)"

# As root: direct access to exactly the two registers.
check "sb 2 1 answers" "$(crlf 1)
status 0" "$(run /bin/kodrun_voka1 sb 2 1)"
check "relay C on, idle pattern" "B4" "$(port $lpt1)"
check "rsb in a run of its own" "$(crlf 0)
status 0" "$(run /bin/kodrun_voka1 rsb 2)"
check "relays held between runs" "B4" "$(port $lpt1)"
# Status 0xD9: bit 6 set (channel 0 reads 1 at every clock), bit 7 set (channel 1 reads 0).
check "ea 0 with status 0xD9" "$(crlf 1023)
status 0" "$(run /bin/kodrun_voka1 ea 0)"
check "after-read pattern keeps the relays" "74" "$(port $lpt1)"
check "ea 1 with status 0xD9" "$(crlf 0)
status 0" "$(run /bin/kodrun_voka1 ea 1)"
check "ead 0" "$(crlf 4.9951171875)
status 0" "$(run /bin/kodrun_voka1 ead 0)"
check "reset for printing answers" "$(crlf -777)
status 0" "$(run /bin/kodrun_voka1 ea 2)"
check "reset for printing restores the byte found" "74" "$(port $lpt1)"
check "re-initialisation answers" "$(crlf -777)
status 0" "$(run /bin/kodrun_voka1 ea 3)"
check "re-initialisation leaves the idle pattern" "B4" "$(port $lpt1)"
check "second port untouched so far" "AA" "$(port $lpt2)"
check "kodrun_voka2 on its own port" "$(crlf 1)
status 0" "$(run /bin/kodrun_voka2 sb 0 1)"
check "second port's relay A" "B1" "$(port $lpt2)"
check "first port left alone by kodrun_voka2" "B4" "$(port $lpt1)"
check "titre" "$(crlf 'VOKA en LPT2:')
status 0" "$(run /bin/kodrun_voka2 titre)"

# A plain user: refused, with the report on standard output and the advice on standard error.
report=$(printf 'Exception EPrivilege dans le module kodrun_voka1 \340 ')
out=$(/bin/run_as 1000 1000 /bin/kodrun_voka1 ea 0 2>/tmp/stderr; echo "status $?")
check "unprivileged run: report" "$report" "$(echo "$out" | head -c ${#report})"
check "unprivileged run: exit status" "status 1" "$(echo "$out" | tail -n 1)"
check "unprivileged run: advice" \
  "kodrun_voka1: no access to the parallel port at 0x378: run as root, give the program cap_sys_rawio, or use the parallel-port device with group lp" \
  "$(cat /tmp/stderr)"
check "port untouched by the refused run" "B4" "$(port $lpt1)"
out=$(/bin/run_as 1000 1000 /bin/kodrun_voka3 ea 0 2>/tmp/stderr; echo "status $?")
check "kodrun_voka3 refused to a plain user" "status 1" "$(echo "$out" | tail -n 1)"

# Setuid root, run by a plain user: the grant is made, then every privilege goes.
cp /bin/kodrun_voka1 /bin/privilege_probe /tmp/
chmod 4755 /tmp/kodrun_voka1 /tmp/privilege_probe
check "setuid program run by a user" "$(crlf 1)
status 0" "$(run /bin/run_as 1000 1000 /tmp/kodrun_voka1 sb 0 1)"
check "setuid program drove the port" "B1" "$(port $lpt1)"
check "privileges gone, grant kept" "uid 1000 1000 1000 gid 1000 1000 1000 groups 0 cap 0 0 data 0xB1" \
  "$(/bin/run_as 1000 1000 /tmp/privilege_probe $lpt1)"

# The file capability cap_sys_rawio, run by a plain user: the same.
cp /bin/kodrun_voka2 /tmp/capped_kodrun_voka2
cp /bin/privilege_probe /tmp/capped_probe
/bin/setcap cap_sys_rawio+ep /tmp/capped_kodrun_voka2
/bin/setcap cap_sys_rawio+ep /tmp/capped_probe
check "program with cap_sys_rawio run by a user" "$(crlf 1)
status 0" "$(run /bin/run_as 1000 1000 /tmp/capped_kodrun_voka2 sb 3 1)"
check "program with cap_sys_rawio drove the port" "B8" "$(port $lpt2)"
check "capability gone, grant kept" "uid 1000 1000 1000 gid 1000 1000 1000 groups 0 cap 0 0 data 0xB8" \
  "$(/bin/run_as 1000 1000 /tmp/capped_probe $lpt2)"

echo "DONE $failures" >"$results"
if [ "$failures" -eq 0 ]; then /bin/port_tool write 244 0; else /bin/port_tool write 244 1; fi
poweroff -f

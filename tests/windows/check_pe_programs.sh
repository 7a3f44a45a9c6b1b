#!/usr/bin/env bash
# Checks that the Windows programs are what they claim: console programs of the expected
# architecture that Windows XP can load, importing nothing but KERNEL32.dll and msvcrt.dll.
#   check_pe_programs.sh OBJDUMP PROGRAM_DIRECTORY pe32|pe32+
set -euo pipefail
objdump=$1 directory=$2 format=$3
case "$format" in
  pe32) magic="010b" ;;
  pe32+) magic="020b" ;;
  *) echo "unknown format $format" >&2; exit 2 ;;
esac

status=0
count=0
for program in "$directory"/kodrun_voka{1,2,3}{,_sim}.exe; do
  count=$((count + 1))
  if [[ ! -f "$program" ]]; then echo "missing: $program"; status=1; continue; fi
  headers=$("$objdump" -p "$program")
  name=$(basename "$program")
  grep -q "^Magic[[:space:]]*$magic" <<<"$headers" || { echo "$name: not $format"; status=1; }
  grep -q "^Subsystem[[:space:]]*00000003" <<<"$headers" || { echo "$name: not a console program"; status=1; }
  grep -q "^MajorSubsystemVersion[[:space:]]*5$" <<<"$headers" || { echo "$name: needs a Windows newer than XP"; status=1; }
  imports=$(grep "DLL Name:" <<<"$headers" | awk '{print $3}' | sort | tr '\n' ' ')
  [[ "$imports" == "KERNEL32.dll msvcrt.dll " ]] || { echo "$name: imports $imports"; status=1; }
done
[[ $status -eq 0 ]] && echo "$count programs in $directory: $format console programs importing KERNEL32.dll and msvcrt.dll only"
exit $status

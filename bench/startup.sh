#!/usr/bin/env bash
# Start-up cost of the driver programs: every run is one process start, so what a run costs is
# mostly what starting costs. Builds kodrun_voka1 and kodrun_voka1_sim and sets them beside an
# empty static C program compiled here, counting for each:
#   - instructions: valgrind's callgrind, total Ir of the whole process (deterministic);
#   - system calls: strace -c, every call of the process (execve included; exit_group, which
#     does not return, is not counted);
# once with no environment variable at all and once with LANG=fr_FR.UTF-8 alone.
#
#   bench/startup.sh [--check] [BUILD_DIR]      (BUILD_DIR: default build/ of this tree)
#
# Prints a table; with --check, exits 1 when a figure misses its target.
# The hardware program runs without any port privilege (under setpriv, which drops
# CAP_SYS_RAWIO and is outside what is counted), so it ends in the EPrivilege report.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
check=false
build=""
for argument in "$@"; do
  case "$argument" in
    --check) check=true ;;
    -h|--help) sed -n '2,15p' "$0"; exit 0 ;;
    -*) echo "unknown option $argument" >&2; exit 2 ;;
    *) build=$argument ;;
  esac
done
build=$(realpath -m "${build:-$root/build}")

# The targets.
hardware_ratio_plain=1.3       # x the empty program's instructions, no locale variable
hardware_ratio_french=2.0      # the same with LANG=fr_FR.UTF-8
hardware_calls_plain=18
hardware_calls_french=22
simulator_instructions=60000   # below this, either environment

# --- tools ---
sudo_if_needed() { if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi; }
missing=()
for tool in valgrind:valgrind strace:strace gcc:gcc setpriv:util-linux cmake:cmake ninja:ninja-build; do
  command -v "${tool%%:*}" >/dev/null || missing+=("${tool#*:}")
done
if (( ${#missing[@]} > 0 )); then
  echo "installing ${missing[*]}" >&2
  sudo_if_needed apt-get update -qq
  DEBIAN_FRONTEND=noninteractive sudo_if_needed apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi
if ! locale -a 2>/dev/null | grep -qi '^fr_FR\.utf-\?8$'; then
  echo "locale fr_FR.UTF-8 is not installed: localedef -i fr_FR -f UTF-8 fr_FR.UTF-8" >&2
  exit 2
fi

# --- build ---
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target kodrun_voka1 kodrun_voka1_sim >/dev/null
hardware=$build/bin/kodrun_voka1
simulator=$build/bin/kodrun_voka1_sim
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'int main(void){return 0;}\n' > "$work/empty.c"
gcc -static -O2 "$work/empty.c" -o "$work/empty"
empty=$work/empty
state=$work/state

# --- running ---
# The hardware program never gets a way to a real port: no capability that could give
# CAP_SYS_RAWIO back (root also loses it from the bounding set), and it is not run at all where
# a parallel-port device node exists, which root could open.
unprivileged=(setpriv --inh-caps=-all --ambient-caps=-all)
if [[ $(id -u) -eq 0 ]]; then unprivileged+=(--bounding-set=-sys_rawio); fi
unprivileged+=(--)
hardware_runnable=true
if compgen -G "/dev/parport*" >/dev/null; then hardware_runnable=false; fi

reset_state() { printf 'data=0x00\ninput0=700\ninput1=300\n' > "$state"; }

# run KIND ENVIRONMENT TOOL... : runs the program of KIND ("empty", "hardware", "simulator")
# with `ea 0`, under the tool, in exactly that environment; standard output goes to $work/out.
run() {
  local kind=$1 environment=$2
  shift 2
  local -a variables=()
  [[ -n "$environment" ]] && variables+=("$environment")
  case "$kind" in
    empty) env -i "${variables[@]}" "$@" "$empty" > "$work/out" ;;
    hardware) env -i "${variables[@]}" "${unprivileged[@]}" "$@" "$hardware" ea 0 > "$work/out" 2>/dev/null || true ;;
    simulator)
      reset_state
      env -i "${variables[@]}" VOKA_SIM_STATE="$state" "$@" "$simulator" ea 0 > "$work/out" ;;
  esac
}

instructions() {
  run "$1" "$2" valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.out" 2>/dev/null
  sed -n 's/^totals: *//p; s/^summary: *//p' "$work/callgrind.out" | head -1
}

system_calls() {
  run "$1" "$2" strace -f -c -o "$work/strace.out"
  awk '$NF == "total" { print $4 }' "$work/strace.out"
}

expect_output() {
  local kind=$1 environment=$2
  run "$kind" "$environment" env
  case "$kind" in
    hardware) grep -q "^Exception EPrivilege dans le module kodrun_voka1 " "$work/out" ;;
    simulator) [[ "$(cat "$work/out")" == $'700\r' ]] ;;
    *) true ;;
  esac || { echo "unexpected output of the $kind program ($environment): $(head -c 200 "$work/out")" >&2; exit 2; }
}

# --- measuring and the table ---
missed=0
# judge VALUE LIMIT: sets $verdict to "ok" when VALUE <= LIMIT, else to "MISSED" (and counts it).
judge() {
  if awk -v v="$1" -v l="$2" 'BEGIN { exit !(v <= l) }'; then verdict=ok; else verdict=MISSED; missed=$((missed + 1)); fi
}
row() { printf '%-22s %-18s %12s %8s %14s %8s %11s\n' "$@"; }

echo "Start-up cost ($build, $build_type; $(gcc -dumpfullversion), $(ldd --version | head -1 | sed 's/.* //'))"
echo
row "program, words" "environment" "instructions" "x empty" "target" "syscalls" "target"
for environment in "" "LANG=fr_FR.UTF-8"; do
  label=${environment:-no locale variable}
  if [[ -n "$environment" ]]; then ratio_target=$hardware_ratio_french calls_target=$hardware_calls_french
  else ratio_target=$hardware_ratio_plain calls_target=$hardware_calls_plain; fi

  empty_ir=$(instructions empty "$environment")
  empty_calls=$(system_calls empty "$environment")
  row "empty C program" "$label" "$empty_ir" "1.00" "" "$empty_calls" ""

  if $hardware_runnable; then
    expect_output hardware "$environment"
    ir=$(instructions hardware "$environment")
    calls=$(system_calls hardware "$environment")
    ratio=$(awk -v a="$ir" -v b="$empty_ir" 'BEGIN { printf "%.2f", a / b }')
    judge "$ratio" "$ratio_target"; ratio_verdict=$verdict
    judge "$calls" "$calls_target"; calls_verdict=$verdict
    row "kodrun_voka1 ea 0" "$label" "$ir" "$ratio" "<=${ratio_target}x $ratio_verdict" "$calls" "<=$calls_target $calls_verdict"
  else
    printf '%-22s %-18s %s\n' "kodrun_voka1 ea 0" "$label" "not run: a /dev/parport device exists here"
  fi

  expect_output simulator "$environment"
  ir=$(instructions simulator "$environment")
  calls=$(system_calls simulator "$environment")
  ratio=$(awk -v a="$ir" -v b="$empty_ir" 'BEGIN { printf "%.2f", a / b }')
  judge "$ir" "$((simulator_instructions - 1))"
  row "kodrun_voka1_sim ea 0" "$label" "$ir" "$ratio" "<$simulator_instructions $verdict" "$calls" ""
done
echo
if (( missed > 0 )); then
  echo "$missed target(s) missed"
  if $check; then exit 1; fi
else
  echo "every target met"
fi

#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset: clang, AddressSanitizer, UndefinedBehavior-
# Sanitizer) and runs them. Any finding (a crash, a sanitizer report, a broken invariant, a
# timeout) fails the script; its input is kept under build-fuzz/findings/<target>/.
#
#   scripts/fuzz.sh [SECONDS]              each target SECONDS (default 20), one after the other,
#                                          over a throw-away copy of fuzz/corpus/<target>
#   scripts/fuzz.sh --long SECONDS [T...]  a long run: the targets side by side, one a core, over
#                                          build-fuzz/long-corpus/<target>, which starts as a copy
#                                          of fuzz/corpus/<target> and keeps growing run after run
#   scripts/fuzz.sh --runs N [T...]        the same, but each target stops after N executions
#
# T names targets (argument_parsing, command_line_split, driver_run); all by default. The
# repository's corpus never changes; to add an input that a long run found worth keeping, copy
# it into fuzz/corpus/<target>/ by hand.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(argument_parsing command_line_split driver_run)
declare -A max_len=([argument_parsing]=4200 [command_line_split]=9000 [driver_run]=5000)

mode=short
seconds=20
runs=""
case "${1:-}" in
  --long) mode=long; seconds="${2:?--long needs a number of seconds}"; shift 2 ;;
  --runs) mode=long; runs="${2:?--runs needs a number of executions}"; seconds=0; shift 2 ;;
  "") ;;
  *) seconds="$1"; shift ;;
esac
if [[ $mode == long && $# -gt 0 ]]; then targets=("$@"); fi
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "fuzz.sh: not a number of seconds: $seconds" >&2; exit 2; }

if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ is missing (Debian packages clang and libclang-rt-14-dev)" >&2
  exit 2
fi
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

bin=build-fuzz/fuzz
scratch=""
cleanup() { [[ -n "$scratch" ]] && rm -rf "$scratch"; }
trap cleanup EXIT
scratch=$(mktemp -d)

# fuzz_target NAME CORPUS LOG: one libFuzzer run; its exit status is the finding's.
fuzz_target() {
  local name=$1 corpus=$2 log=$3
  local findings=build-fuzz/findings/$name
  mkdir -p "$findings"
  local limits=(-max_total_time="$seconds")
  [[ -n "$runs" ]] && limits=(-runs="$runs")
  "$bin/fuzz_$name" "$corpus" "${limits[@]}" -max_len="${max_len[$name]}" -timeout=10 \
    -dict="fuzz/$name.dict" -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1
}

report() {
  local name=$1 status=$2 log=$3
  local executed per_second
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  per_second=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  if [[ $status -eq 0 ]]; then
    printf '%-20s %12s executions %8s exec/s  no finding\n' "$name" "${executed:-?}" "${per_second:-?}"
  else
    printf '%-20s FINDING (status %s); the log follows\n' "$name" "$status"
    grep -v '^#' "$log" | tail -n 60
  fi
}

failed=0
if [[ $mode == short ]]; then
  for name in "${targets[@]}"; do
    cp -r "fuzz/corpus/$name" "$scratch/$name"
    status=0
    fuzz_target "$name" "$scratch/$name" "$scratch/$name.log" || status=$?
    report "$name" "$status" "$scratch/$name.log"
    [[ $status -eq 0 ]] || failed=1
  done
else
  declare -A pids
  for name in "${targets[@]}"; do
    corpus=build-fuzz/long-corpus/$name
    if [[ ! -d $corpus ]]; then mkdir -p "$corpus" && cp "fuzz/corpus/$name"/* "$corpus/"; fi
    fuzz_target "$name" "$corpus" "build-fuzz/$name.log" &
    pids[$name]=$!
  done
  for name in "${targets[@]}"; do
    status=0
    wait "${pids[$name]}" || status=$?
    report "$name" "$status" "build-fuzz/$name.log"
    [[ $status -eq 0 ]] || failed=1
  done
fi
exit "$failed"

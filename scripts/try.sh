#!/usr/bin/env bash
# Builds the six programs into build/bin and runs the first port's driver against the
# simulated interface: `scripts/try.sh` shows `titre` and `ea 0`; `scripts/try.sh ea 1` runs
# those words instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh
cmake --preset default -DVOKA_TESTS=OFF >/dev/null
cmake --build --preset default >/dev/null
if (( $# > 0 )); then
  exec build/bin/kodrun_voka1_sim "$@"
fi
for words in "titre" "ea 0"; do
  echo "\$ build/bin/kodrun_voka1_sim $words"
  build/bin/kodrun_voka1_sim $words || true
done

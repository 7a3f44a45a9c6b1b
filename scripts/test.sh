#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh --tests
cmake --preset default -DVOKA_TESTS=ON
cmake --build --preset default
ctest --preset default "$@"

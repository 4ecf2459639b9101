#!/usr/bin/env bash
# Builds z80home (optimised) and runs every test. Extra arguments go to ctest,
# e.g. `scripts/test.sh -LE slow` leaves out the long processor exercisers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"

#!/usr/bin/env bash
# Builds z80home (optimised) and runs every test. Extra arguments go to ctest,
# e.g. `scripts/test.sh -LE slow` leaves out the long processor exercisers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
# Warnings are errors here. The processor's conformance suites are the
# repository's copy in tests/z80tests, or the folder Z80HOME_Z80TESTS names;
# either way a missing folder stops the build instead of letting their tests
# skip.
suites="${Z80HOME_Z80TESTS:-$PWD/tests/z80tests}"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZ80HOME_WERROR=ON \
    -DZ80HOME_REQUIRE_Z80TESTS=ON "-DZ80HOME_Z80TESTS_DIR=$suites" >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"

#!/usr/bin/env bash
# Builds z80home (optimised) and runs every test. Extra arguments go to ctest,
# e.g. `scripts/test.sh -LE slow` leaves out the long processor exercisers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
# Warnings are errors here. The processor's conformance suites are expected
# under CI and wherever Z80HOME_Z80TESTS names them: then a missing folder
# stops the build with a message instead of letting their tests skip.
suites=(-DZ80HOME_REQUIRE_Z80TESTS=OFF)
if [ -n "${Z80HOME_Z80TESTS:-}" ]; then
    suites=(-DZ80HOME_REQUIRE_Z80TESTS=ON "-DZ80HOME_Z80TESTS_DIR=$Z80HOME_Z80TESTS")
elif [ "${CI:-}" = true ]; then
    suites=(-DZ80HOME_REQUIRE_Z80TESTS=ON)
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZ80HOME_WERROR=ON "${suites[@]}" >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"

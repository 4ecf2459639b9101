#!/usr/bin/env bash
# Builds the fuzz harnesses of tests/fuzz with clang (libFuzzer with
# AddressSanitizer and UndefinedBehaviorSanitizer, coverage over the whole
# emulator) and runs each for a fixed time, starting from its committed seed
# corpus copied to a scratch folder (the repository is never written).
#
#   scripts/fuzz.sh [SECONDS [TARGET...]]
#
# SECONDS per target (default 45); TARGETs among bus, screen, exports, z80, state
# (default all). A failing input is kept in build-fuzz/findings/ and the
# script exits non-zero; turn it into a regression by copying it to
# tests/fuzz/regressions/TARGET/. Extra libFuzzer options may be given in
# Z80HOME_FUZZ_OPTIONS (e.g. "-jobs=2 -workers=2" or "-runs=1000000").
#
# With Z80HOME_FUZZ_CORPUS=DIR the corpus is kept in DIR/TARGET across runs
# (seeded from the committed one) and, after each run, minimised into
# DIR/TARGET.min with libFuzzer's merge; copy that to tests/fuzz/corpus/TARGET
# to commit it.
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive

seconds=${1:-45}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(bus screen exports z80 state)

scripts/deps.sh
missing=()
for p in clang libclang-rt-14-dev; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -q
    $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZ80HOME_HOSTS=OFF -DZ80HOME_BENCH=OFF -DZ80HOME_SANITIZE=address,undefined -DZ80HOME_WERROR=ON \
    -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
    >/dev/null
cmake --build "$build" -j"$(nproc)" --target roms "${targets[@]/#/fuzz_}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
findings="$build/findings"
mkdir -p "$findings"
export Z80HOME_ROM_DIR="$PWD/$build/rom" SDL_AUDIODRIVER=dummy
failed=0
for target in "${targets[@]}"; do
    corpus="$work/$target"
    [ -n "${Z80HOME_FUZZ_CORPUS:-}" ] && corpus="$Z80HOME_FUZZ_CORPUS/$target"
    mkdir -p "$corpus"
    cp -n tests/fuzz/corpus/"$target"/* "$corpus"/
    echo "== fuzz_$target: $seconds s"
    # shellcheck disable=SC2086
    if ! "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$findings/$target-" \
        ${Z80HOME_FUZZ_OPTIONS:-} "$corpus" >"$work/$target.log" 2>&1; then
        failed=1
        tail -n 60 "$work/$target.log"
        echo "fuzz_$target FAILED; the input is in $findings/"
    fi
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' \
        "$work/$target.log" || true
    if [ -n "${Z80HOME_FUZZ_CORPUS:-}" ]; then
        rm -rf "$corpus.min"
        mkdir -p "$corpus.min"
        "$build/bin/fuzz_$target" -merge=1 -timeout=20 -rss_limit_mb=4096 "$corpus.min" "$corpus" \
            >"$work/$target.merge.log" 2>&1
        echo "minimised corpus: $(find "$corpus.min" -type f | wc -l) inputs in $corpus.min"
    fi
done
exit $failed

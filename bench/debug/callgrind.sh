#!/usr/bin/env bash
# Instruction counts of debug_bench's setups under callgrind, and each one's
# ratio to nothing set's on the same program: exact figures where timings on
# a busy machine wander by a few percent.
#
#   bench/debug/callgrind.sh BUILD [CYCLES]     (default 20000000 a setup)
set -euo pipefail
build=${1:?usage: callgrind.sh BUILD [CYCLES]}
cycles=${2:-20000000}
out=$(mktemp)
trap 'rm -f "$out"' EXIT
valgrind --tool=callgrind --callgrind-out-file="$out" "$build/bin/debug_bench" --cycles "$cycles" >/dev/null 2>&1
# Measured<program, setup> with its inclusive count: the ratio of each setup
# to setup 0 of its program.
callgrind_annotate --inclusive=yes --threshold=100 "$out" |
    sed -n 's/^ *\([0-9,]*\) .*Measured<\([0-9]\), \([0-9]\)>.*/\2 \3 \1/p' | tr -d , | sort -n -k1 -k2 |
    awk '$2 == 0 { base[$1] = $3 }
         { printf "program %d setup %d  %14d instructions  %.3f of nothing set\n", $1, $2, $3, base[$1] / $3 }'

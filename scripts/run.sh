#!/usr/bin/env bash
# Installs what z80home needs, builds it (optimised, in build/) and starts the
# desktop host on the built-in ROM. Extra arguments go to the host, e.g.
# `scripts/run.sh --green --tape saved.cas` or `scripts/run.sh game.bas`;
# their file names are taken from the folder it was started in. With no
# display to open a window on, it runs the headless host instead and writes
# a screenshot of what the screen shows at the end of its run.
set -euo pipefail
start="$PWD"
cd "$(dirname "$0")/.."
root="$PWD"
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target z80home-desktop z80home-headless
cd "$start"
status=0
"$root/build/bin/z80home" --rom-dir "$root/build/rom" "$@" || status=$?
# 3: the desktop host found no display.
[ "$status" -eq 3 ] || exit "$status"
shot="$root/build/z80home-screenshot.png"
echo "Running the headless host instead: it boots and saves the screen."
"$root/build/bin/z80home-headless" --rom-dir "$root/build/rom" --screenshot "$shot" "$@"
echo "Screenshot: $shot"

#!/usr/bin/env bash
# Installs what z80home needs, builds it (optimised, in build/) and starts the
# desktop host on the built-in ROM. Extra arguments go to the host, e.g.
# `scripts/run.sh --green --tape saved.cas`. With no display to open a window
# on, it runs the headless host instead and writes a screenshot of the
# banner and prompt.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target z80home-desktop z80home-headless
status=0
build/bin/z80home --rom-dir build/rom "$@" || status=$?
# 3: the desktop host found no display.
[ "$status" -eq 3 ] || exit "$status"
shot="$PWD/build/z80home-screenshot.png"
echo "Running the headless host instead: it boots and saves the screen."
build/bin/z80home-headless --rom-dir build/rom --screenshot "$shot" "$@"
echo "Screenshot: $shot"

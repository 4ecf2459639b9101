#!/usr/bin/env bash
# Installs the Debian packages that building and testing z80home needs; the
# Python ones serve Debian's own Python, /usr/bin/python3 (the package's
# binding, its build, NumPy, Pillow and pytest).
set -euo pipefail
# help2man writes the hosts' manual pages from their --help.
packages=(cmake make g++ libgtest-dev pasmo libsdl2-dev libstb-dev nodejs help2man
    pybind11-dev python3-pybind11 python3-dev python3-venv python3-setuptools
    python3-numpy python3-pil python3-pytest)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs the Debian packages that building and testing z80home needs.
set -euo pipefail
# help2man writes the hosts' manual pages from their --help.
packages=(cmake make g++ libgtest-dev pasmo libsdl2-dev libstb-dev nodejs help2man)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# The emulator in a web browser, from the repository root:
#
#   scripts/web.sh [--port N]             build the page and serve it on localhost
#   scripts/web.sh --build                build the page only
#   scripts/web.sh --test [--linux-build DIR]
#                                         run the page's tests in headless Chromium
#   scripts/web.sh --bench [--linux-build DIR]
#                                         the page's speed against the native build
#   scripts/web.sh --idle [SITE...]       the page's CPU at the idle prompt (and the
#                                         other built pages given, for comparison)
#
# Installs the Debian packages it needs (with sudo when not run as root):
# Emscripten for the build; for the tests and the benchmark also Chromium,
# the Linux build's packages, and the npm packages of package-lock.json. The
# page goes to build-web/site (z80home.js, z80home.wasm with the ROM images
# inside, index.html, page.js, paste.js). The tests compare the page with the Linux
# headless host of DIR (default build, built when needed).
set -euo pipefail
cd "$(dirname "$0")/.."

mode=serve
port=8000
linux_build=build
others=()
while [ $# -gt 0 ]; do
    case "$1" in
    --port) port="$2"; shift 2 ;;
    --build | --test | --bench | --idle) mode="${1#--}"; shift ;;
    --linux-build) linux_build="$2"; shift 2 ;;
    *)
        if [ "$mode" = idle ] && [ -d "$1" ]; then
            others+=("$1")
            shift
            continue
        fi
        echo "usage: scripts/web.sh [--port N | --build | --test | --bench | --idle [SITE...]] [--linux-build DIR]" >&2
        exit 2
        ;;
    esac
done

# ---------------------------------------------------------------- packages
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }
install_missing() {
    local missing=() p
    for p in "$@"; do installed "$p" || missing+=("$p"); done
    [ ${#missing[@]} -eq 0 ] && return 0
    $sudo apt-get -o DPkg::Lock::Timeout=600 update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -q \
        --no-install-recommends "${missing[@]}"
}
install_missing emscripten cmake make g++ pasmo
# Emscripten's tools need Debian's JavaScript modules (acorn) even when the
# node on the path is not Debian's own.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"

# ---------------------------------------------------------------- build
if [ ! -f build-web/CMakeCache.txt ]; then
    emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build-web -j2 --target z80home-web
site=build-web/site

# The Linux build the tests and the benchmark measure the page against.
linux_tree() { # targets...
    scripts/deps.sh
    if [ ! -f "$linux_build/CMakeCache.txt" ]; then
        cmake -S . -B "$linux_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
    cmake --build "$linux_build" -j2 --target "$@"
}
browser_packages() {
    install_missing chromium
    if [ ! -d node_modules/puppeteer-core ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
        npm ci --no-audit --no-fund
    fi
}

case $mode in
build) echo "the page is in $site" ;;
serve) exec node web/serve.mjs "$site" "$port" ;;
test)
    linux_tree z80home-headless roms
    browser_packages
    Z80HOME_SITE="$site" Z80HOME_HEADLESS="$linux_build/bin/z80home-headless" \
        Z80HOME_ROM_DIR="$linux_build/rom" node --test --test-concurrency=1 tests/web/
    ;;
bench)
    cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DZ80HOME_BENCH=ON -DZ80HOME_TESTS=OFF \
        -DZ80HOME_HOSTS=OFF >/dev/null
    linux_build=build-bench
    linux_tree web_bench roms
    browser_packages
    nice -n 10 node bench/web/web_bench.mjs "$site" build-bench/bin/web_bench build-bench/rom
    ;;
idle)
    browser_packages
    node bench/web/web_idle.mjs "$site" "${others[@]}"
    ;;
esac

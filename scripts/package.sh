#!/usr/bin/env bash
# Makes the Debian package from a built tree and checks it as a new machine
# would see it, from the repository root:
#
#   scripts/package.sh [BUILD_DIR]      # default: build
#
# 1. cpack -G DEB in BUILD_DIR (configured and built as scripts/test.sh
#    does; what is not built yet is built first) writes
#    BUILD_DIR/z80home_<version>_amd64.deb.
# 2. lintian, Debian's package checker, finds no error and no warning in it.
# 3. The package unpacks with dpkg -x into an empty folder, not installed.
# 4. Every program and library in it finds each library it needs either in
#    the package itself or in a Debian package that its Depends line names,
#    so an install on a fresh machine pulls in all it needs.
# 5. Both hosts print the project's version, which their manual pages and
#    the changelog carry too; the headless host, started from another folder
#    with no --rom-dir, finds its libraries and ROM images in the unpacked
#    tree, boots to BASIC and runs a line typed on it, and its debugger
#    shows the ROM's labels.
# 6. A program using the installed headers compiles against them alone.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

fail() {
    echo "package.sh: $*" >&2
    exit 1
}
[ -f "$build/CPackConfig.cmake" ] || fail "$build is not a configured build (run scripts/test.sh first)"
# dpkg-shlibdeps, which finds the packages of the libraries linked, is
# dpkg-dev's; lintian checks the package.
missing=()
for p in dpkg-dev lintian; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

rm -f "$build"/z80home_*_amd64.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/z80home_*_amd64.deb)
[ -f "${debs[0]}" ] || fail "cpack wrote no z80home_<version>_amd64.deb in $build"
deb="${debs[0]}"
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "z80home_${version}_amd64.deb" ] || fail "$deb is not named for its version $version"
echo "package: $deb"
dpkg-deb -f "$deb" Depends | sed 's/^/depends: /'
# Informational tags are shown, and only errors and warnings fail.
lintian --fail-on error,warning --display-info "$deb" | sed 's/^/lintian: /' ||
    fail "lintian finds errors or warnings in $deb"
echo "lintian: no error and no warning"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree="$work/root"
dpkg -x "$deb" "$tree"
lib="usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/z80home"
for file in usr/bin/z80home usr/bin/z80home-headless "$lib/libz80home.so" \
    "$lib/libz80home-plus.so" "$lib/libz80core.so" "$lib/libwinshim.so" \
    usr/share/z80home/n80basic.rom usr/share/z80home/font.rom usr/share/z80home/n80basic.sym \
    usr/share/z80home/n80basic.lst usr/include/z80home/core/z80home.h \
    usr/include/z80home/plus/z80home_plus.h usr/include/z80home/plus/z80home_debug.h \
    usr/share/doc/z80home/README.md usr/share/doc/z80home/docs/hosts.md usr/share/doc/z80home/LICENSE \
    usr/share/doc/z80home/copyright usr/share/doc/z80home/changelog.gz \
    usr/share/man/man1/z80home.1.gz usr/share/man/man1/z80home-headless.1.gz; do
    [ -f "$tree/$file" ] || fail "the package lacks /$file"
done

# The packages the Depends line names, without versions.
depends=" $(dpkg-deb -f "$deb" Depends | sed 's/([^)]*)//g; s/[,|]/ /g') "
# Only the libraries a file names itself: those they need in turn are their
# own packages' concern.
while IFS= read -r elf; do
    resolved=$(ldd "$elf")
    for needed in $(readelf -d "$elf" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        # "name => /path (address)", or "/path (address)" for the loader.
        path=$(echo "$resolved" | awk -v name="$needed" '
            $1 == name && $2 == "=>" && $3 ~ /^\// { print $3; exit }
            substr($1, 1, 1) == "/" && substr($1, length($1) - length(name)) == "/" name { print $1; exit }')
        [ -n "$path" ] || fail "${elf#"$tree"/} needs $needed, found nowhere"
        case "$path" in "$tree"/*) continue ;; esac
        # dpkg knows a library by the path it installed, which may differ
        # from the one ldd shows by a /usr merge's symbolic link.
        owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "$(realpath "$path")" 2>/dev/null ||
            dpkg -S "${path#/usr}" 2>/dev/null) || fail "${elf#"$tree"/} needs $path, which no Debian package holds"
        package=${owner%%:*}
        case "$depends" in
        *" $package "*) ;;
        *) fail "${elf#"$tree"/} needs $path from $package, which the package does not depend on" ;;
        esac
    done
done < <(find "$tree" -type f \( -name '*.so' -o -perm -u+x \) -exec sh -c 'head -c 4 "$1" | grep -q ELF' _ {} \; -print)
echo "libraries: every one needed is in the package or a package it depends on"

bin="$tree/usr/bin"
for host in z80home z80home-headless; do
    shown=$(env -u DISPLAY -u WAYLAND_DISPLAY "$bin/$host" --version)
    [ "$shown" = "$host $version" ] || fail "$host --version says \"$shown\", not \"$host $version\""
done
zcat "$tree/usr/share/doc/z80home/changelog.gz" | head -1 | grep -qF "z80home ($version)" ||
    fail "the changelog's entry is not for version $version"
for host in z80home z80home-headless; do
    zcat "$tree/usr/share/man/man1/$host.1.gz" | grep -qF "\"$host $version\"" ||
        fail "the manual page of $host is not for version $version"
done
echo "versions: both hosts, their manual pages and the changelog say $version"

# Started from an empty folder, far from the build and without --rom-dir.
mkdir "$work/elsewhere"
printf 'PRINT 6*7;"DO";"NE"\r' >"$work/elsewhere/line.txt"
(cd "$work/elsewhere" && SDL_AUDIODRIVER=dummy timeout 120 "$bin/z80home-headless" --warp \
    --paste line.txt --until-text DONE --timeout 60000 --screen-text screen.txt) ||
    fail "the unpacked headless host did not boot and run a line: $(cat "$work/elsewhere/screen.txt" 2>/dev/null)"
grep -q "BASIC" "$work/elsewhere/screen.txt" && grep -q "^ 42 DONE" "$work/elsewhere/screen.txt" ||
    fail "the unpacked headless host shows no BASIC banner and answer: $(cat "$work/elsewhere/screen.txt")"
echo "boot: the unpacked headless host booted to BASIC from its own tree and printed 42"

# The debugger of the unpacked tree names the ROM's routines by their labels
# (from the listing beside the ROM images), not by numbers.
printf 'r\n' >"$work/elsewhere/debug.txt"
shown=$(cd "$work/elsewhere" && SDL_AUDIODRIVER=dummy timeout 120 "$bin/z80home-headless" \
    --break-at WAITTICK --debug-script debug.txt 2>&1) ||
    fail "the unpacked debugger did not stop at WAITTICK: $shown"
echo "$shown" | grep -qx "WAITTICK:" || fail "the unpacked debugger shows no ROM labels: $shown"
echo "debugger: the unpacked tree's stops at the label WAITTICK:"

cat >"$work/host.cpp" <<'EOF'
#include "plus/z80home_debug.h"
#include "plus/z80home_plus.h"
#include "winshim_host.h"
#include "z80/z80.h"
int main() { return GetScreenText(nullptr, 0) > 0 && RunEmu != nullptr ? 0 : 1; }
EOF
c++ -std=c++20 -fsyntax-only -I"$tree/usr/include/z80home" "$work/host.cpp" ||
    fail "the installed headers do not compile on their own"
echo "headers: a host compiles against the installed ones alone"

#!/usr/bin/env bash
# Builds z80home for 32-bit Windows and checks it, from the repository root:
#
#   scripts/windows.sh [--linux-build DIR]
#
# 1. Installs the Debian packages it needs (with sudo when not run as root):
#    the MinGW-w64 compilers, Wine, Xvfb, and what the Linux build needs.
# 2. Cross-compiles z80core.dll, z80home.dll, z80home.exe, the libretro core
#    z80home_libretro.dll and the two ROM images into build-win.
# 3. Checks the export tables with objdump: z80home.dll exports exactly the
#    nine functions, z80home-plus.dll the nine and the functions declared in
#    its headers, z80core.dll exactly its C functions and
#    z80home_libretro.dll exactly those of libretro/libretro.h, all
#    undecorated;
#    z80home.dll takes from z80core.dll only the five it runs the processor
#    with and the register pair of save states, and every file imports
#    system DLLs only.
# 4. Makes the zip (cpack -G ZIP: build-win/z80home-<version>-win32.zip) and
#    requires it to hold exactly the files the manual's installation
#    section lists.
# 5. Runs the zip's z80home.exe, unpacked (or, where only 64-bit Wine runs,
#    build-win64's), under Wine on an Xvfb screen: it must print the version
#    the zip is named for, and find its ROM images beside itself. It then
#    runs it beside the Linux headless host
#    (from DIR, default build-winlinux, built when needed) on the same input:
#    the two 640 by 480 screenshots and the two tape files must be identical,
#    and every wave output call and the timer resolution call must succeed.
#    The state the Linux host saved at the end then loads in z80home.exe and
#    the state z80home.exe saves loads in the Linux host: both show the same
#    frame again.
#
# The Wine check runs the 32-bit build. A kernel that cannot execute 32-bit
# programs cannot run 32-bit Wine at all; there the script builds the same
# sources for 64-bit Windows as well (build-win64) and runs that under 64-bit
# Wine, and says so.
set -euo pipefail
cd "$(dirname "$0")/.."

# The input both hosts get: from BASIC into the monitor, then sound the
# beeper while a routine is stored that switches the CRT controller's
# cursor off and halts with interrupts disabled, save the routine to tape,
# run it. The frame then no longer
# depends on when it is taken: the cursor's blink phase (counted in frames,
# so in wall time) has nothing left to show, and the halted processor changes
# nothing more. The beeper stays on for a whole typed line, so the wave
# output is surely started and stopped.
readonly text='MON|BEEP ON|SET 6100 3E 80 D3 51 F3 76|BEEP OFF|SAVE 6100 6105 OFF|RUN 6100|'
# The input is played in real time, and so is the machine, which scans its
# keyboard about once in each 16 ms slice. Each key is held 140 ms and then
# released for 120 ms (a plain typed key gets 60 and 60), so a slice may come
# up to about 100 ms late without a key being lost or a double letter read
# as one; a key repeats only after about 30 slices. '|' is RETURN.
slow_keys() {
    local i c script=""
    for ((i = 0; i < ${#1}; i++)); do
        c="${1:i:1}"
        case "$c" in
        ' ') c=SPACE ;;
        '|') c=RETURN ;;
        esac
        script+="{$c down}{wait 80}{$c up}{wait 60}"
    done
    printf '%s' "$script"
}
keys=$(slow_keys "$text")
readonly keys
# The record that SAVE writes: leader, sync, header (memory block "OFF",
# 6100, 6 bytes, check byte), the routine, its sum.
readonly tape_record='55 55 55 55 55 55 55 55 55 55 55 55 55 55 55 55 c3 3c 01 4f 46 46 20 20 20 20 20 00 61 06 00 1d 3e 80 d3 51 f3 76 4b 03'
readonly wave_calls=(timeBeginPeriod waveOutOpen waveOutPrepareHeader waveOutWrite waveOutReset)

# The Wine session: every Wine command of one check runs inside one Xvfb
# server, and the wineserver goes with it.
if [ "${1:-}" = --wine-session ]; then
    # Create the prefix on first use; no window manager, so windows are not
    # managed (a managed window waits 2 s on destruction); trace the wave
    # output and timer calls only, to read their results.
    status=0
    "$WINE" regedit /S "$WINE_CHECK/settings.reg" || status=$?
    cd "$WINE_CHECK/windows"
    [ $status -ne 0 ] || timeout 120 "$WINE" "$WINE_PROGRAM" --version >version.txt 2>&1 || status=$?
    [ $status -ne 0 ] || WINEDEBUG=-all,+relay timeout 120 "$WINE" "$WINE_PROGRAM" \
        --tape tape.bin --keys "$keys" --screenshot screen.png >run.log 2>relay.log || status=$?
    # The Linux host's state, loaded and saved again by the Windows host.
    [ $status -ne 0 ] || timeout 120 "$WINE" "$WINE_PROGRAM" --load-state ../linux/run.state \
        --run-ms 1000 --screenshot loaded.png --save-state back.state >>run.log 2>&1 || status=$?
    wineserver -k || true
    exit $status
fi

linux_build=build-winlinux
while [ $# -gt 0 ]; do
    case "$1" in
    --linux-build)
        linux_build="$2"
        shift 2
        ;;
    *)
        echo "usage: scripts/windows.sh [--linux-build DIR]" >&2
        exit 2
        ;;
    esac
done

fail() {
    echo "windows.sh: $*" >&2
    exit 1
}

# ---------------------------------------------------------------- packages
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }
updated=no
install_missing() {
    local missing=() p
    for p in "$@"; do installed "$p" || missing+=("$p"); done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ $updated = no ]; then
        # wine32 is the i386 package of Wine's 32-bit half.
        dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
        # A mirror caught mid-sync fails one index or another; what the
        # others offer may still be enough, which the install then tells.
        $sudo apt-get update -q ||
            echo "windows.sh: some package indexes could not be fetched; going on with the rest"
        updated=yes
    fi
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

scripts/deps.sh
install_missing gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix libstb-dev
install_missing xvfb xauth

# 32-bit Wine needs i386 packages matching the amd64 ones installed, which a
# mirror that lacks the i386 half of an update cannot give; and a kernel may
# not run 32-bit programs at all. Either way the 64-bit build of the same
# sources is checked under 64-bit Wine instead, and the script says why.
if install_missing wine wine32:i386 && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    bits=32
else
    bits=64
    if installed wine32:i386; then
        echo "windows.sh: this kernel does not run 32-bit programs, so neither does 32-bit Wine;"
    else
        echo "windows.sh: 32-bit Wine (wine32:i386) cannot be installed from this machine's packages;"
    fi
    echo "windows.sh: the Wine check runs the 64-bit build of the same sources instead"
    install_missing gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix wine wine64
fi

# ---------------------------------------------------------------- builds
cross_build() { # directory, toolchain file
    cmake -S . -B "$1" -DCMAKE_TOOLCHAIN_FILE="$2" -DZ80HOME_WERROR=ON >/dev/null
    cmake --build "$1" -j2
}
cross_build build-win cmake/mingw-i686.cmake
rm -f build-win/z80home-*-win*.zip
(cd build-win && cpack -G ZIP >/dev/null)
zips=(build-win/z80home-*-win32.zip)
[ -f "${zips[0]}" ] || fail "cpack wrote no z80home-<version>-win32.zip in build-win"
zip="${zips[0]}"
version=$(basename "$zip" -win32.zip)
version=${version#z80home-}
[ $bits = 64 ] && cross_build build-win64 cmake/mingw-x86_64.cmake

if [ ! -f "$linux_build/CMakeCache.txt" ]; then
    cmake -S . -B "$linux_build" -DZ80HOME_TESTS=OFF -DZ80HOME_WERROR=ON >/dev/null
fi
cmake --build "$linux_build" -j2 --target z80home-headless roms

# ---------------------------------------------------------------- export tables
# The names of a PE file's export table, one a line, sorted.
exports_of() {
    "$objdump" -p "$1" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p' | sort
}
# The names a PE file imports from one DLL, sorted.
imports_of() {
    "$objdump" -p "$1" | awk -v dll="$2" '
        /DLL Name:/ { on = tolower($3) == tolower(dll); next }
        /^[[:space:]]*$/ { on = 0 }
        on && $1 ~ /^[0-9a-f]+$/ { print $3 }' | sort
}
# The DLLs a PE file imports from, upper case, sorted.
dlls_of() {
    "$objdump" -p "$1" | awk '/DLL Name:/ { print toupper($3) }' | sort
}
sorted() { printf '%s\n' "$@" | sort; }
# The functions a header exports (declared with Z80HOME_API, or with the
# marker given as --marker WORD), one a line.
api_names() {
    local marker=Z80HOME_API
    [ "$1" != --marker ] || { marker=$2; shift 2; }
    sed -n "s/^$marker .*[^A-Za-z0-9_]\\([A-Za-z_][A-Za-z0-9_]*\\)(.*/\\1/p" "$@"
}
expect_names() { # what, actual, expected...
    local what="$1" actual="$2"
    shift 2
    [ "$actual" = "$(sorted "$@")" ] ||
        fail "$what: expected $(sorted "$@" | tr '\n' ' ')but found $(echo "$actual" | tr '\n' ' ')"
}
expect_system_imports() { # file, allowed DLLs...
    local file="$1" dll
    shift
    for dll in $(dlls_of "$file"); do
        case " ${*^^} " in
        *" $dll "*) ;;
        *) fail "$file imports $dll, which is not a system DLL" ;;
        esac
    done
}

check_exports() { # build directory, objdump
    local bin="$1/bin" objdump="$2"
    # The emulator: the functions of its header, under their plain names.
    # shellcheck disable=SC2046
    expect_names "$bin/z80home.dll exports" "$(exports_of "$bin/z80home.dll")" \
        $(api_names core/z80home.h)
    # The processor: the five functions the emulator drives it with, and the
    # register-state calls its header offers to debuggers and tests.
    expect_names "$bin/z80core.dll exports" "$(exports_of "$bin/z80core.dll")" \
        Z80Init setz80memaccess Z80Run Z80RunHalted Z80DoIRQ Z80GetRegs Z80SetRegs Z80PCLocation \
        Z80RegsVersion
    # The five it runs the processor with, the register pair save states use,
    # and the program counter the debugger's breakpoints read.
    expect_names "$bin/z80home.dll imports from z80core.dll" \
        "$(imports_of "$bin/z80home.dll" z80core.dll)" Z80Init setz80memaccess Z80Run Z80RunHalted \
        Z80DoIRQ Z80GetRegs Z80SetRegs Z80PCLocation
    # The extension library: the nine and the extensions its headers declare.
    # shellcheck disable=SC2046
    expect_names "$bin/z80home-plus.dll exports" "$(exports_of "$bin/z80home-plus.dll")" \
        $(api_names core/z80home.h plus/z80home_plus.h plus/z80home_debug.h record/z80home_record.h)
    expect_system_imports "$bin/z80home-plus.dll" z80core.dll KERNEL32.DLL USER32.DLL GDI32.DLL WINMM.DLL MSVCRT.DLL
    expect_names "$bin/z80home.dll imports from WINMM.dll" \
        "$(imports_of "$bin/z80home.dll" WINMM.dll)" "${wave_calls[@]}"
    expect_system_imports "$bin/z80core.dll" KERNEL32.DLL MSVCRT.DLL
    expect_system_imports "$bin/z80home.dll" z80core.dll KERNEL32.DLL USER32.DLL GDI32.DLL WINMM.DLL MSVCRT.DLL
    expect_system_imports "$bin/z80home.exe" KERNEL32.DLL USER32.DLL GDI32.DLL COMDLG32.DLL SHELL32.DLL MSVCRT.DLL
    # The libretro core: the functions of libretro.h, and system DLLs only (the
    # processor is inside it).
    # shellcheck disable=SC2046
    expect_names "$bin/z80home_libretro.dll exports" "$(exports_of "$bin/z80home_libretro.dll")" \
        $(api_names --marker RETRO_API libretro/libretro.h)
    expect_system_imports "$bin/z80home_libretro.dll" KERNEL32.DLL USER32.DLL GDI32.DLL WINMM.DLL MSVCRT.DLL
    echo "export tables of $1: z80home.dll"
    exports_of "$bin/z80home.dll" | sed 's/^/    /'
    echo "z80home-plus.dll:"
    exports_of "$bin/z80home-plus.dll" | sed 's/^/    /'
    echo "z80core.dll:"
    exports_of "$bin/z80core.dll" | sed 's/^/    /'
    echo "z80home_libretro.dll: $(exports_of "$bin/z80home_libretro.dll" | wc -l) libretro functions"
}
check_exports build-win i686-w64-mingw32-objdump
[ $bits = 64 ] && check_exports build-win64 x86_64-w64-mingw32-objdump

# ---------------------------------------------------------------- the zip
# The files of the table under "## The Windows zip" in docs/installing.md:
# every backquoted name in a row's first cell.
manual_zip_files() {
    awk '/^## The Windows zip/ { on = 1; next } /^#/ { on = 0 }
        on && /^\| *`/ { split($0, cells, "|"); print cells[2] }' docs/installing.md |
        grep -o '`[^`]*`' | tr -d '`' | sort
}
listed=$(manual_zip_files)
[ -n "$listed" ] || fail "docs/installing.md lists no files under ## The Windows zip"
top="z80home-$version-win32/"
held=$(unzip -Z1 "$zip" | grep -v '/$' | sed "s|^$top||" | sort)
[ "$held" = "$listed" ] ||
    fail "$zip holds other files than docs/installing.md lists:$(diff <(echo "$listed") <(echo "$held") | grep '^[<>]' | sed 's/^</ manual only:/; s/^>/ zip only:/' | tr '\n' ' ')"
unzip -Z1 "$zip" | grep -v "^$top" && fail "$zip has files outside its folder $top"
echo "zip: $zip holds the $(echo "$held" | wc -l) files docs/installing.md lists"

# ---------------------------------------------------------------- Wine against Linux
if [ $bits = 32 ]; then
    win=build-win
    export WINEARCH=win32 WINE=/usr/lib/wine/wine
else
    win=build-win64
    export WINEARCH=win64 WINE=/usr/lib/wine/wine64 WINELOADER=/usr/lib/wine/wine64
fi
export WINE_CHECK="$PWD/$win/wine-check"
export WINE_PROGRAM="$PWD/$win/bin/z80home.exe"
export WINEPREFIX="$WINE_CHECK/prefix" HOME="$WINE_CHECK/home"
export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
export keys
mkdir -p "$HOME"
rm -rf "$WINE_CHECK/windows" "$WINE_CHECK/linux" "$WINE_CHECK/zip"
mkdir -p "$WINE_CHECK/windows" "$WINE_CHECK/linux"
# ALSA's null device as the default: Wine's wave output then opens and plays
# into it instead of failing for want of a sound card.
echo 'pcm.!default { type null }' >"$HOME/.asoundrc"
relay_list=$(printf 'winmm.%s;' "${wave_calls[@]}")
cat >"$WINE_CHECK/settings.reg" <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\Debug]
"RelayInclude"="${relay_list%;}"
EOF

# The host finds its ROM images beside itself in the zip (in build-win64's
# rom folder otherwise), not in the working folder.
for image in n80basic.rom font.rom; do
    cmp -s "$win/rom/$image" "$linux_build/rom/$image" ||
        fail "$image differs between $win and $linux_build"
done
if [ $bits = 32 ]; then
    unzip -q "$zip" -d "$WINE_CHECK/zip"
    WINE_PROGRAM="$WINE_CHECK/zip/$top/z80home.exe"
fi

# On a machine busy with other work a host may still wake too late for a
# key. Both hosts run at a raised priority when the script runs as root, and
# a pair of runs whose tapes are not both the record typed, or whose frames
# differ, is run again, at most three times.
bytes_of() { od -A n -t x1 -v "$1" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
png_size() { od -A n -t u1 -j 16 -N 8 "$1" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 "x" $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }'; }
relay="$WINE_CHECK/windows/relay.log"
raised=()
[ "$(id -u)" -ne 0 ] || raised=(nice -n -10)
for attempt in 1 2 3; do
    rm -f "$WINE_CHECK"/{linux,windows}/{tape.bin,screen.png,run.log,relay.log,run.state}
    rm -f "$WINE_CHECK"/windows/{loaded.png,back.state} "$WINE_CHECK"/linux/back.png
    echo "Linux headless host"
    SDL_AUDIODRIVER=dummy "${raised[@]}" timeout 60 "$linux_build/bin/z80home-headless" \
        --rom-dir "$linux_build/rom" --tape "$WINE_CHECK/linux/tape.bin" --keys "$keys" \
        --screenshot "$WINE_CHECK/linux/screen.png" --save-state "$WINE_CHECK/linux/run.state"
    echo "Windows host under Wine ($bits-bit)"
    "${raised[@]}" xvfb-run -a -s "-screen 0 1024x768x24" timeout 300 "$0" --wine-session ||
        fail "the Windows host failed under Wine: $(cat "$WINE_CHECK/windows/run.log" 2>/dev/null)"
    cat "$WINE_CHECK/windows/run.log"
    shown=$(tr -d '\r' <"$WINE_CHECK/windows/version.txt")
    [ "$shown" = "z80home $version" ] || fail "z80home.exe --version says \"$shown\", not \"z80home $version\""
    # The same encoder writes both screenshots, so equal files are equal pixels.
    linux_tape=$(bytes_of "$WINE_CHECK/linux/tape.bin" 2>/dev/null || true)
    windows_tape=$(bytes_of "$WINE_CHECK/windows/tape.bin" 2>/dev/null || true)
    windows_size=$(png_size "$WINE_CHECK/windows/screen.png" 2>/dev/null || true)
    same_frame=yes
    cmp -s "$WINE_CHECK/windows/screen.png" "$WINE_CHECK/linux/screen.png" || same_frame=no
    if [ "$linux_tape" = "$tape_record" ] && [ "$windows_tape" = "$tape_record" ] &&
        [ "$windows_size" = 640x480 ] && [ $same_frame = yes ]; then
        break
    fi
    echo "windows.sh: attempt $attempt: Linux tape: $linux_tape"
    echo "windows.sh: attempt $attempt: Windows tape: $windows_tape"
    echo "windows.sh: attempt $attempt: the record typed: $tape_record"
    echo "windows.sh: attempt $attempt: Windows frame $windows_size, the same as Linux's: $same_frame"
    [ "$attempt" -lt 3 ] || fail "three attempts differed; the last pair is in $WINE_CHECK"
done
echo "Windows and Linux: the same 640x480 frame and the same tape"

# The states: Linux's loaded on Windows, and Windows' loaded back on Linux,
# show the frame the Linux run ended with.
cmp -s "$WINE_CHECK/windows/loaded.png" "$WINE_CHECK/linux/screen.png" ||
    fail "the Linux state loaded on Windows shows another frame (see $WINE_CHECK/windows/loaded.png)"
SDL_AUDIODRIVER=dummy timeout 60 "$linux_build/bin/z80home-headless" --rom-dir "$linux_build/rom" \
    --load-state "$WINE_CHECK/windows/back.state" --run-ms 1000 \
    --screenshot "$WINE_CHECK/linux/back.png" || fail "the Windows state did not load on Linux"
cmp -s "$WINE_CHECK/linux/back.png" "$WINE_CHECK/linux/screen.png" ||
    fail "the Windows state loaded on Linux shows another frame (see $WINE_CHECK/linux/back.png)"
echo "states: saved on Linux, loaded on Windows, saved there and loaded on Linux: the same frame"

# Every traced call returned 0 (MMSYSERR_NOERROR, TIMERR_NOERROR).
for call in "${wave_calls[@]}"; do
    grep -q "Call winmm\.$call(" "$relay" || fail "$call was never called (see $relay)"
done
grep -q "Call winmm\.timeBeginPeriod(00000001)" "$relay" || fail "the timer resolution is not 1 ms"
failed=$(grep "Ret  winmm\." "$relay" | grep -v "retval=00000000" || true)
[ -z "$failed" ] || fail "wave output or timer calls failed: $failed"
echo "wave output and timer calls: $(grep -c "Ret  winmm\." "$relay") made, all returned 0"

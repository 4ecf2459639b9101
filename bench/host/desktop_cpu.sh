#!/usr/bin/env bash
# The desktop host's CPU under Xvfb, this tree's against an earlier commit's,
# in one run, from the repository root:
#
#   bench/host/desktop_cpu.sh [--before REV] [--runs N] [--seconds S] [--build DIR] [--wine]
#
# Builds this tree's desktop host in DIR (default build) and the one of
# commit REV (default: the last one that presented every frame) in
# DIR/bench-before-REV. Each run starts each host on an Xvfb screen of its
# own, idle at the prompt, and again with a routine typed into the monitor
# that rewrites every character of the screen without pause; it reports the
# CPU time of the host process and of the X server over S seconds (default
# 20) as a percentage of one core. The two hosts take turns, so both meet the
# same load from whatever else runs on the machine. Last, it samples the
# screen of each idle host for a few seconds and compares what they show:
# the pictures (cursor on and off, blinking attributes), how many times the
# picture changed and how far apart.
#
# With --wine the same runs measure the Windows host instead (32-bit, built
# in build-win and DIR/bench-before-REV/build-win) under Wine, and report
# Wine's own processes (wineserver, explorer, services) as well; the
# pictures are not sampled (scripts/windows.sh compares the Windows host's
# frame with the Linux one). Wine must be installed (scripts/windows.sh does).
set -euo pipefail
cd "$(dirname "$0")/../.."

before=fc48cce0f99e74fabbd1b0278e572d3cc94b757c
runs=3
seconds=20
build=build
wine=no
while [ $# -gt 0 ]; do
    case "$1" in
    --before) before="$2" && shift ;;
    --runs) runs="$2" && shift ;;
    --seconds) seconds="$2" && shift ;;
    --build) build="$2" && shift ;;
    --wine) wine=yes ;;
    *)
        echo "usage: bench/host/desktop_cpu.sh [--before REV] [--runs N] [--seconds S] [--build DIR] [--wine]" >&2
        exit 2
        ;;
    esac
    shift
done

# ---------------------------------------------------------------- packages
scripts/deps.sh
missing=()
for p in xvfb xdotool python3; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# ---------------------------------------------------------------- builds
rev=$(git rev-parse --short "$before")
old="$build/bench-before-$rev"
if [ ! -d "$old/src" ]; then
    mkdir -p "$old/src"
    git archive "$before" | tar -x -C "$old/src"
fi
if [ $wine = no ]; then
    host_build() { # source folder, build folder
        [ -f "$2/CMakeCache.txt" ] ||
            cmake -S "$1" -B "$2" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZ80HOME_TESTS=OFF >/dev/null
        cmake --build "$2" -j2 --target z80home-desktop roms >/dev/null
    }
    after_folder="$build"
    before_folder="$old/build"
    program=z80home
else
    host_build() {
        [ -f "$2/CMakeCache.txt" ] ||
            cmake -S "$1" -B "$2" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" >/dev/null
        cmake --build "$2" -j2 >/dev/null
    }
    after_folder=build-win
    before_folder="$old/build-win"
    program=z80home.exe
    export WINEARCH=win32 WINEPREFIX="$PWD/build-win/wine-bench/prefix" WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=" HOME="$PWD/build-win/wine-bench/home"
    mkdir -p "$HOME"
    echo 'pcm.!default { type null }' >"$HOME/.asoundrc"
fi
host_build . "$after_folder"
host_build "$old/src" "$before_folder"

work=$(mktemp -d)
xvfb=""
host=""
finish() {
    [ -z "$host" ] || kill "$host" 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    [ $wine = no ] || wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT

# ---------------------------------------------------------------- one host
# Starts Xvfb with its frame buffer in $work/fb, then the host of build
# folder $1 on it; sets display, xvfb and host. Both hosts run the earlier
# commit's ROM images, so they show the same machine and take the same input.
start() {
    rm -rf "$work/fb" "$work/display" && mkdir -p "$work/fb"
    Xvfb -displayfd 3 -screen 0 "$([ $wine = no ] && echo 640x480x24 || echo 1024x768x24)" \
        -nolisten tcp -fbdir "$work/fb" 3>"$work/display" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 50); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    display=":$(cat "$work/display")"
    if [ $wine = no ]; then
        DISPLAY=$display SDL_AUDIODRIVER=dummy "$1/bin/$program" --rom-dir "$before_folder/rom" \
            >/dev/null 2>&1 &
        host=$!
        sleep 3 # the banner and the prompt
    else
        # A Windows host finds the ROM images in its working directory.
        local exe
        exe="$(cd "$1/bin" && pwd)/$program"
        rm -rf "$work/run" && mkdir -p "$work/run" && cp "$before_folder"/rom/*.rom "$work/run/"
        (cd "$work/run" && DISPLAY="$display" exec /usr/lib/wine/wine "$exe" >/dev/null 2>&1) &
        host=$!
        sleep 8 # Wine's own processes, the window, the banner and the prompt
    fi
    kill -0 "$host" 2>/dev/null || {
        echo "desktop_cpu.sh: the host of $1 did not start on $display" >&2
        exit 1
    }
}
stop() {
    kill "$host" "$xvfb" 2>/dev/null || true
    wait "$host" "$xvfb" 2>/dev/null || true
    [ $wine = no ] || wineserver -k 2>/dev/null || true
    host=""
    xvfb=""
}

# Types a line into the monitor as the pointer's window takes it: each key
# held 80 ms, then 60 ms up, so the machine's keyboard scan sees every one.
type_line() {
    local i c args=()
    for ((i = 0; i < ${#1}; i++)); do
        c="${1:i:1}"
        [ "$c" = " " ] && c=space
        args+=(keydown "$c" sleep 0.08 keyup "$c" sleep 0.06)
    done
    DISPLAY=$display xdotool mousemove 320 260 "${args[@]}" keydown Return sleep 0.08 keyup Return
}

# Every character of the 80 by 25 screen at E000 counts up, row after row,
# for ever: LD HL,E000; LD C,25; rows: LD B,80; INC (HL); INC HL; DJNZ;
# the row's 40 attribute bytes skipped with ADD HL,DE (DE 40); DEC C;
# JR NZ,rows; JR to the start.
readonly rewrite='SET 6100 21 00 E0 0E 19 06 50 34 23 10 FC 11 28 00 19 0D 20 F3 18 EC'

# Wine's own processes: those that run in this prefix, other than the host.
wine_helpers() {
    local p
    for p in /proc/[0-9]*; do
        [ "${p#/proc/}" = "$host" ] && continue
        grep -qzx "WINEPREFIX=$WINEPREFIX" "$p/environ" 2>/dev/null && echo "${p#/proc/}"
    done
}
ticks() { # the CPU ticks of each process given, as "pid:ticks"
    local p
    for p in "$@"; do
        [ -r "/proc/$p/stat" ] && echo "$p:$(awk '{ print $14 + $15 }' "/proc/$p/stat")"
    done
    return 0
}
# The ticks spent between two ticks lists, by the processes in both.
spent() {
    awk -F: 'NR == FNR { t[$1] = $2; next } $1 in t { s += $2 - t[$1] } END { print s + 0 }' \
        <(echo "$1") <(echo "$2")
}
hz=$(getconf CLK_TCK)
# CPU of the host, of Xvfb (and of Wine's processes) over the measured
# seconds, in % of one core.
measure() {
    local helpers=() h0 x0 w0 h1 x1 w1
    [ $wine = no ] || mapfile -t helpers < <(wine_helpers | grep -vx "$xvfb")
    h0=$(ticks "$host")
    x0=$(ticks "$xvfb")
    w0=$(ticks "${helpers[@]}")
    sleep "$seconds"
    h1=$(ticks "$host")
    x1=$(ticks "$xvfb")
    w1=$(ticks "${helpers[@]}")
    awk -v h="$(spent "$h0" "$h1")" -v x="$(spent "$x0" "$x1")" -v w="$(spent "$w0" "$w1")" \
        -v hz="$hz" -v s="$seconds" \
        'BEGIN { f = 100 / hz / s; printf "%.1f %.1f %.1f\n", h * f, x * f, w * f }'
}

# ---------------------------------------------------------------- runs
declare -A results
for ((run = 1; run <= runs; run++)); do
    for scenario in idle busy; do
        for version in before after; do
            folder="$after_folder"
            [ $version = before ] && folder="$before_folder"
            start "$folder"
            if [ $scenario = busy ]; then
                type_line MON # the machine starts in BASIC
                type_line "$rewrite"
                type_line "RUN 6100"
                sleep 1
            fi
            read -r h x w <<<"$(measure)"
            stop
            results[$scenario.$version]+="$h $x $w"$'\n'
            echo "run $run $scenario $version: host $h %, X server $x %$([ $wine = no ] || echo ", Wine $w %")"
        done
    done
done

# min, median and max of a column of figures
spread() { sort -n | awk '{ v[NR] = $1 } END { printf "%5.1f %5.1f %5.1f", v[1], v[int((NR + 1) / 2)], v[NR] }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
columns=(1 2)
[ $wine = no ] || columns=(1 2 3)
echo
echo "$program: CPU over $seconds s, % of one core, $runs runs each (min median max)"
printf '%-6s %-22s %-19s %-19s%s\n' "" "" "host process" "X server" "$([ $wine = no ] || echo "Wine's processes")"
for scenario in idle busy; do
    for version in before after; do
        label="before ($rev)"
        [ $version = after ] && label="after (this tree)"
        line=$(printf '%-6s %-22s' "$scenario" "$label")
        for column in "${columns[@]}"; do
            line+=$(printf ' %-18s' "$(awk -v c="$column" 'NF { print $c }' <<<"${results[$scenario.$version]}" | spread)")
        done
        echo "$line"
    done
    line="$scenario after/before, medians:"
    for column in "${columns[@]}"; do
        b=$(awk -v c="$column" 'NF { print $c }' <<<"${results[$scenario.before]}" | median)
        a=$(awk -v c="$column" 'NF { print $c }' <<<"${results[$scenario.after]}" | median)
        line+=" $(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')"
    done
    echo "$line"
done
[ $wine = no ] || exit 0

# ---------------------------------------------------------------- pictures
# Samples the screen every few milliseconds; a picture counts once it has
# been seen twice in a row, so one caught half drawn does not.
sample() { # build folder -> "pictures|changes|median gap"
    start "$1"
    python3 - "$work/fb/Xvfb_screen0" 4 <<'EOF'
import hashlib, struct, sys, time
path, seconds = sys.argv[1], float(sys.argv[2])
seen, changes, last, pending = set(), [], None, None
end = time.monotonic() + seconds
while time.monotonic() < end:
    data = open(path, 'rb').read()
    header = struct.unpack('>25I', data[:100])
    start = header[0] + header[19] * 12
    pixels = bytearray(data[start:start + header[12] * header[5]])
    del pixels[3::4] # the byte beside red, green and blue is not shown
    digest = hashlib.sha1(pixels).hexdigest()[:10]
    if digest == pending and digest != last:
        last = digest
        seen.add(digest)
        changes.append(time.monotonic())
    pending = digest
    time.sleep(0.003)
gaps = sorted(round(1000 * (b - a)) for a, b in zip(changes, changes[1:]))
median = gaps[len(gaps) // 2] if gaps else 0
print(f"{' '.join(sorted(seen))}|{len(changes)}|{median}")
EOF
    stop
}
echo
echo "the idle prompt over 4 s, sampled every 3 ms"
IFS='|' read -r pictures_before changes_before gap_before <<<"$(sample "$before_folder")"
IFS='|' read -r pictures_after changes_after gap_after <<<"$(sample "$after_folder")"
echo "before: $changes_before changes, median $gap_before ms apart, pictures $pictures_before"
echo "after:  $changes_after changes, median $gap_after ms apart, pictures $pictures_after"
if [ "$pictures_before" = "$pictures_after" ]; then
    echo "the same pictures"
else
    echo "the pictures differ"
    exit 1
fi

#!/usr/bin/env bash
# The libretro core in Debian's RetroArch, from the repository root:
#
#   scripts/retroarch.sh [--linux-build DIR]
#
# 1. Installs the Debian packages it needs (with sudo when not run as root):
#    retroarch, the frontend alone (no core package; its one dependency of
#    that family is libretro-core-info, the other cores' description files),
#    Xvfb, and what the Linux build needs.
# 2. Builds the core, its .info file, the headless host and png_same in DIR
#    (default build).
# 3. Makes a tape with the headless host: a BASIC program that prints a line
#    and runs a routine that switches the cursor off and halts with
#    interrupts disabled, so the picture no longer changes after it.
# 4. Runs RetroArch on an Xvfb screen (OpenGL on Mesa's software renderer)
#    with the tape as content for a fixed number of frames, with rewind and
#    run-ahead on, so it saves the core's state twice a frame and restores
#    it once, and has it write a screenshot of the core's last frame. The
#    core types LOAD and RUN once BASIC is up, and the program runs.
# 5. Runs the headless host on a copy of the tape, pasting LOAD and RUN, and
#    requires the same picture, pixel for pixel.
# 6. Runs RetroArch once more, rewind and run-ahead on, with a BASIC listing
#    as content, which the core types in and runs, and requires the headless
#    host's picture for the same listing named on its command line.
#
# What RetroArch 1.14 needs to run like this, without a person:
# - a configuration file of its own (-c) and a HOME of its own: it writes
#   playlists and core options there;
# - menu_driver "null" (the menus want assets), audio_driver "null" (no
#   sound card), video_driver "gl" on Xvfb ("null" works with no X server at
#   all; the screenshot is the same);
# - video_gpu_screenshot "false": the screenshot is then the core's own
#   640 by 480 frame rather than the window with its scaling;
# - libretro_directory at the folder of the core, and libretro_info_path at
#   the folder of its .info, from the build's z80home_retroarch.cfg (as the
#   manual's command gives it, with --appendconfig): without the .info it
#   takes the core for one without save states and turns rewind and
#   run-ahead off;
# - --max-frames N --max-frames-ss --max-frames-ss-path FILE, then it exits.
set -euo pipefail
cd "$(dirname "$0")/.."

linux_build=build
while [ $# -gt 0 ]; do
    case "$1" in
    --linux-build) linux_build="$2"; shift 2 ;;
    *)
        echo "usage: scripts/retroarch.sh [--linux-build DIR]" >&2
        exit 2
        ;;
    esac
done
fail() {
    echo "retroarch.sh: $*" >&2
    exit 1
}

# ---------------------------------------------------------------- packages
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }
missing=()
for p in retroarch xvfb xauth; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
    $sudo apt-get -o DPkg::Lock::Timeout=600 update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -q \
        --no-install-recommends "${missing[@]}"
fi
scripts/deps.sh

# ---------------------------------------------------------------- build
if [ ! -f "$linux_build/CMakeCache.txt" ]; then
    cmake -S . -B "$linux_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$linux_build" -j2 --target z80home_libretro z80home-headless png_same roms
bin=$(cd "$linux_build/bin" && pwd)
rom=$(cd "$linux_build/rom" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/system" "$work/saves" "$work/states" "$work/shots"
headless() { SDL_AUDIODRIVER=dummy timeout 120 "$bin/z80home-headless" --rom-dir "$rom" "$@"; }

# ---------------------------------------------------------------- the tape
cat >"$work/program.bas" <<'EOF'
10 PRINT "FROM THE TAPE"
20 FOR I=0 TO 5:READ B:POKE &H7000+I,B:NEXT
30 DATA 62,128,211,81,243,118
40 CALL &H7000
SAVE "HALT"
EOF
headless --warp --tape "$work/program.cas" --paste "$work/program.bas" --run-ms 10000 >/dev/null
[ -s "$work/program.cas" ] || fail "the headless host saved no program to the tape"

# ---------------------------------------------------------------- RetroArch
readonly frames=300
cat >"$work/retroarch.cfg" <<EOF
video_driver = "gl"
audio_driver = "null"
input_driver = "x"
menu_driver = "null"
video_vsync = "false"
video_gpu_screenshot = "false"
rewind_enable = "true"
rewind_granularity = "1"
run_ahead_enabled = "true"
run_ahead_frames = "2"
run_ahead_secondary_instance = "false"
config_save_on_exit = "false"
savestate_auto_load = "false"
libretro_directory = "$bin"
system_directory = "$work/system"
savefile_directory = "$work/saves"
savestate_directory = "$work/states"
screenshot_directory = "$work/shots"
EOF
# RetroArch on the content for the frames, rewinding and running ahead, its
# screenshot in retroarch.png.
retroarch_run() {
    HOME="$work/home" timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" retroarch \
        -c "$work/retroarch.cfg" --appendconfig "$bin/z80home_retroarch.cfg" \
        -L "$bin/z80home_libretro.so" "$1" --verbose \
        --max-frames="$2" --max-frames-ss --max-frames-ss-path="$work/retroarch.png" \
        >"$work/retroarch.log" 2>&1 || { cat "$work/retroarch.log"; fail "RetroArch failed"; }
    [ -s "$work/retroarch.png" ] || { cat "$work/retroarch.log"; fail "RetroArch wrote no screenshot"; }
    grep -q "Initializing rewind buffer" "$work/retroarch.log" ||
        { cat "$work/retroarch.log"; fail "RetroArch did not take the core's states for rewind"; }
    if grep -q "Run-Ahead unavailable" "$work/retroarch.log"; then
        cat "$work/retroarch.log"
        fail "RetroArch did not run ahead on the core"
    fi
}
# RetroArch's screenshot must be the headless host's, pixel for pixel.
same_picture() {
    if ! difference=$("$bin/png_same" "$work/retroarch.png" "$work/headless.png"); then
        kept=$(mktemp -d)
        cp "$work"/retroarch.png "$work"/headless.png "$work"/retroarch.log "$kept/"
        fail "RetroArch's screenshot is not the headless host's picture: $difference (both in $kept)"
    fi
}
cp "$work/program.cas" "$work/retroarch.cas"
echo "RetroArch: $frames frames of the core with the tape as content"
retroarch_run "$work/retroarch.cas" $frames

# ---------------------------------------------------------------- the same in the headless host
cp "$work/program.cas" "$work/headless.cas"
printf 'LOAD\nRUN\n' >"$work/start.txt"
headless --warp --tape "$work/headless.cas" --paste "$work/start.txt" --run-ms 10000 \
    --screenshot "$work/headless.png" >/dev/null
same_picture
echo "RetroArch (rewind and run-ahead on) and the headless host: the same 640x480 picture"

# ---------------------------------------------------------------- a listing
printf '10 PRINT "FROM A LISTING"\r\n20 FOR I=0 TO 5:READ B:POKE &H7000+I,B:NEXT\r\n' \
    >"$work/listing.bas"
printf '30 DATA 62,128,211,81,243,118\r\n40 CALL &H7000\r\n' >>"$work/listing.bas"
echo "RetroArch: $((2 * frames)) frames of the core with a listing as content"
retroarch_run "$work/listing.bas" $((2 * frames))
headless --warp "$work/listing.bas" --screenshot "$work/headless.png" >/dev/null
same_picture
echo "RetroArch (rewind and run-ahead on) and the headless host: the same picture after the listing"

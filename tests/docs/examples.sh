#!/usr/bin/env bash
# Runs the manual's examples and compares what they print with what the
# manual shows, so that none can go stale:
#
#   tests/docs/examples.sh BIN_DIR FILE.md...
#
# An example is a ```console block: each line that begins "$ " is a command,
# run by bash with BIN_DIR first on PATH (the hosts find the build's ROM
# images from there) in a folder of the block's own, empty at its start, and
# the lines up to the next command or the block's end are what it must
# print, standard output and error together, trailing spaces aside. Commands that need a display or
# another program (the desktop host, RetroArch, a browser) are shown in
# plain blocks instead, which are not run.
set -uo pipefail
bin=$(cd "$1" && pwd)
shift
failures=0
examples=0
folder=""
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check() { # file line command expected
    local file=$1 line=$2 command=$3 expected=$4 got
    examples=$((examples + 1))
    got=$(cd "$folder" && PATH="$bin:$PATH" SDL_AUDIODRIVER=dummy timeout 120 bash -c "$command" 2>&1 |
        sed 's/[[:space:]]*$//')
    expected=$(printf '%s' "$expected" | sed 's/[[:space:]]*$//')
    if [ "$got" != "$expected" ]; then
        failures=$((failures + 1))
        echo "$file:$line: \$ $command"
        diff <(echo "$expected") <(echo "$got") | sed 's/^/    /'
    fi
}

for file in "$@"; do
    in_block=0 command="" expected="" line=0 at=0
    while IFS= read -r text || [ -n "$text" ]; do
        line=$((line + 1))
        if [ $in_block -eq 0 ]; then
            if [ "$text" = '```console' ]; then
                in_block=1
                folder=$(mktemp -d "$work/example.XXXX")
            fi
            continue
        fi
        if [ "$text" = '```' ] || [ "${text:0:2}" = '$ ' ]; then
            [ -n "$command" ] && check "$file" "$at" "$command" "$expected"
            command="" expected=""
            if [ "$text" = '```' ]; then
                in_block=0
            else
                command=${text:2} at=$line
            fi
            continue
        fi
        expected+="$text"$'\n'
    done <"$file"
done
echo "examples: $examples run, $failures differ from the manual"
[ "$examples" -gt 0 ] && [ $failures -eq 0 ]

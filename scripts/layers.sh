#!/usr/bin/env bash
# Every include points down the layers: a file may include its own layer's
# headers and those of the layers below, never one above. A lower layer that
# must let a higher one look in offers a hook instead (see docs/development.md's
# "What is here"). Lists each include that crosses upward, and each folder
# of sources that has no layer, and fails on any.
#
#   scripts/layers.sh [SOURCE_ROOT]
set -euo pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)

# The layers, lowest first: each folder's rank.
declare -A layer=(
    [z80]=1 [platform]=1 [rom]=1
    [state]=2
    [bus]=3 [video]=3 [devices]=3
    [core]=4 [input]=4
    [debug]=5 [plus]=5
    [record]=6
    [host]=7 [web]=7 [libretro]=7 [python]=7
    [tests]=8 [bench]=8 [reference]=8
)

failed=0
while IFS= read -r file; do
    rel=${file#"$root"/}
    folder=${rel%%/*}
    own=${layer[$folder]:-}
    if [ -z "$own" ]; then
        echo "$rel: the folder $folder/ has no layer" >&2
        failed=1
        continue
    fi
    dir=$(dirname "$file")
    while IFS= read -r name; do
        # As the compiler looks: beside the including file, then from the
        # root. A name found in neither is not ours.
        if [ -e "$dir/$name" ]; then
            target=$dir/$name
        elif [ -e "$root/$name" ]; then
            target=$root/$name
        else
            continue
        fi
        case "$target" in *..*) target=$(realpath -m "$target") ;; esac
        target=${target#"$root"/}
        theirs=${layer[${target%%/*}]:-}
        if [ -z "$theirs" ] || [ "$theirs" -gt "$own" ]; then
            echo "$rel includes $target, a layer above its own" >&2
            failed=1
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find "$root" \( -name '.*' -o -name 'build*' -o -name node_modules \) -prune -o \
    -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print | sort)

if [ "$failed" = 0 ]; then echo "every include points down the layers"; fi
exit "$failed"

#!/usr/bin/env bash
# The Python package as a user installs it (see docs/python.md): a fresh
# virtual environment on Debian's Python, the package built from this
# checkout by pip (its own CMake tree, build-python/, which a fresh clone
# builds whole), then pytest: the package's tests and the examples in
# docs/python.md. Says how long the build took.
#
#   scripts/python.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
/usr/bin/python3 -m venv --system-site-packages "$scratch/v"
start=$SECONDS
"$scratch/v/bin/pip" install --no-build-isolation -q .
echo "python: the package built and installed in $((SECONDS - start)) s"
"$scratch/v/bin/python" -m pytest

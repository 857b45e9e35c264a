#!/usr/bin/env bash
# Remakes the pictures of this folder from make-pictures.cpp (needs g++ and Qt 6 Gui with pkg-config).
#   resources/make-pictures.sh            writes the pictures next to this script
#   resources/make-pictures.sh <folder>   writes them into <folder> instead
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:-$here}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# shellcheck disable=SC2046
g++ -std=c++20 -O1 -Wall -Wextra -fPIC -o "$work/make-pictures" "$here/make-pictures.cpp" \
    $(pkg-config --cflags --libs Qt6Gui)
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$work/make-pictures" "$out"
echo "make-pictures: pictures written to $out"

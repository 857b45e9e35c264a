#!/usr/bin/env bash
# Remakes the pictures of this folder from make-pictures.cpp (needs g++ and Qt 6 Gui with pkg-config),
# and the application icon in packaging/icons.
#   resources/make-pictures.sh            writes the pictures next to this script, the icon to packaging/icons
#   resources/make-pictures.sh <folder>   writes them all into <folder> instead
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:-$here}"
icons="${1:-$(dirname "$here")/packaging/icons}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# shellcheck disable=SC2046
g++ -std=c++20 -O1 -Wall -Wextra -fPIC -o "$work/make-pictures" "$here/make-pictures.cpp" \
    $(pkg-config --cflags --libs Qt6Gui)
mkdir -p "$out" "$icons"
QT_QPA_PLATFORM=offscreen "$work/make-pictures" "$out" "$icons"
echo "make-pictures: pictures written to $out, application icon to $icons"

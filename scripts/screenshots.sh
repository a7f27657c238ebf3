#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the windows of wavPress offscreen into PNG files: the main window under each of its
# tabs (the parameter tab once with the MP3 and once with the Ogg Vorbis page), the tag dialog
# and the progress window in the middle of a conversion (one file at a time and three at once);
# then the main window once more at twice the scale, as on a high-resolution screen (the files
# ending in -x2). The README shows the ones in docs/; refresh them by hand when a window changes.
#   bash scripts/screenshots.sh [FOLDER]      (default: docs/)
# WAVPRESS_BUILD_DIR names the build tree to use (default: build/release, made when missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs}
build=${WAVPRESS_BUILD_DIR:-$root/build/release}
bash "$root/scripts/install-deps.sh"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DWAVPRESS_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target wavpress-screenshots >/dev/null
mkdir -p "$out"
for scale in 1 2; do
  QT_QPA_PLATFORM=offscreen "$build/bin/wavpress-screenshots" "$out" "$scale" 2> >(grep -v \
    -e '^QStandardPaths: XDG_RUNTIME_DIR not set' -e 'This plugin does not support' >&2)
done

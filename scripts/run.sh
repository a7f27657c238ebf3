#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds wavPress and starts the window program, wavpress.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DWAVPRESS_TESTS=OFF >/dev/null
cmake --build "$root/build/release" >/dev/null
bin=$root/build/release/bin
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "wavpress needs a display (neither DISPLAY nor WAYLAND_DISPLAY is set); from a terminal use $bin/wavpress-cli FILE.wav..."
  exit 0
fi
exec "$bin/wavpress" "$@"

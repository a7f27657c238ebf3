#!/usr/bin/env bash
# Builds wavPress and runs wavpress-cli with the arguments given.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DWAVPRESS_TESTS=OFF >/dev/null
cmake --build "$root/build/release" >/dev/null
if [ -x "$root/build/release/bin/wavpress-cli" ]; then
  exec "$root/build/release/bin/wavpress-cli" "$@"
fi
echo "built into $root/build/release/bin (there is no front end to run yet)"

#!/usr/bin/env bash
# Builds wavPress and runs the whole test suite: a warnings-as-errors build, the same suite
# under AddressSanitizer + UndefinedBehaviorSanitizer, the threaded tests under
# ThreadSanitizer, and a bounded run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

fuzz_seconds=${WAVPRESS_FUZZ_SECONDS:-30}

configure_and_test() {
  local dir=$1 label=$2
  shift 2
  echo "== $dir"
  cmake -S . -B "$dir" -G Ninja -DWAVPRESS_WERROR=ON "$@" >/dev/null
  cmake --build "$dir"
  if [ -n "$label" ]; then
    ctest --test-dir "$dir" --output-on-failure -j 2 -L "$label"
  else
    ctest --test-dir "$dir" --output-on-failure -j 2
  fi
}

configure_and_test build/ci "" -DCMAKE_BUILD_TYPE=RelWithDebInfo
configure_and_test build/asan "" -DCMAKE_BUILD_TYPE=Debug -DWAVPRESS_SANITIZE=address
configure_and_test build/tsan "encoders|batch" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DWAVPRESS_SANITIZE=thread

if command -v clang++ >/dev/null && [ -e /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a ]; then
  echo "== build/fuzz"
  CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DWAVPRESS_WERROR=ON -DWAVPRESS_FUZZ=ON -DWAVPRESS_TESTS=OFF >/dev/null
  cmake --build build/fuzz
  for target in build/fuzz/bin/fuzz_*; do
    name=$(basename "$target")
    corpus=build/fuzz/corpus/$name
    mkdir -p "$corpus"
    echo "-- $name for ${fuzz_seconds}s"
    "$target" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 -print_final_stats=0 "$corpus" fuzz/seeds/"$name" 2>&1 | tail -n 3
  done
else
  echo "== fuzzing skipped: clang's libFuzzer runtime is not installed"
fi

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds wavPress and runs the whole test suite: a warnings-as-errors build, its install and
# Debian package checked and its screenshots rendered, the same suite under AddressSanitizer +
# UndefinedBehaviorSanitizer, the threaded tests under ThreadSanitizer, and a bounded run of
# each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

fuzz_seconds=${WAVPRESS_FUZZ_SECONDS:-30}
passed=0
failed=0

configure_and_test() {
  local dir=$1 label=$2
  shift 2
  echo "== $dir"
  cmake -S . -B "$dir" -G Ninja -DWAVPRESS_WERROR=ON "$@" >/dev/null
  cmake --build "$dir"
  local args=(--test-dir "$dir" --output-on-failure -j 2)
  [ -n "$label" ] && args+=(-L "$label")
  local log=$dir/ctest.log
  ctest "${args[@]}" 2>&1 | tee "$log"
  # "100% tests passed, 0 tests failed out of 229"
  local total bad
  total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  bad=$(sed -n 's/.* \([0-9]*\) tests failed out of.*/\1/p' "$log" | tail -n 1)
  passed=$((passed + ${total:-0} - ${bad:-0}))
  failed=$((failed + ${bad:-0}))
}

configure_and_test build/ci "" -DCMAKE_BUILD_TYPE=RelWithDebInfo

# The installed programs and the package are made from the tree just tested.
echo "== install"
bash scripts/check-install.sh build/ci | tee build/ci/install.log
install_counts=$(tail -n 1 build/ci/install.log)
install_passed=$(sed -n 's/.*: \([0-9]*\) passed.*/\1/p' <<<"$install_counts")
install_failed=$(sed -n 's/.* \([0-9]*\) failed.*/\1/p' <<<"$install_counts")
passed=$((passed + ${install_passed:-0}))
failed=$((failed + ${install_failed:-0}))

echo "== screenshots"
shots=$(mktemp -d)
WAVPRESS_BUILD_DIR=build/ci bash scripts/screenshots.sh "$shots"
rm -rf "$shots"
passed=$((passed + 1))

# Leaks of the libraries we use, not ours, are named in tests/lsan.supp.
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
configure_and_test build/asan "" -DCMAKE_BUILD_TYPE=Debug -DWAVPRESS_SANITIZE=address
# Debian's Qt is not built for ThreadSanitizer: the window layer stays out of this build.
configure_and_test build/tsan "encoders|batch" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DWAVPRESS_SANITIZE=thread -DWAVPRESS_UI=OFF

fuzzer_runtime() {
  command -v clang++ >/dev/null &&
    [ -e "$(clang++ -print-runtime-dir)/libclang_rt.fuzzer-x86_64.a" ]
}

if fuzzer_runtime; then
  echo "== build/fuzz"
  CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DWAVPRESS_WERROR=ON -DWAVPRESS_FUZZ=ON -DWAVPRESS_TESTS=OFF -DWAVPRESS_UI=OFF >/dev/null
  cmake --build build/fuzz --target fuzz_targets
  for target in build/fuzz/bin/fuzz_*; do
    name=${target##*/fuzz_}
    corpus=build/fuzz/corpus/$name
    mkdir -p "$corpus"
    # Seeds are generated, not stored: fuzz/seeds/<name>.sh writes them into a folder.
    seeds=()
    if [ -f "fuzz/seeds/$name.sh" ]; then
      rm -rf "build/fuzz/seeds/$name"
      bash "fuzz/seeds/$name.sh" "build/fuzz/seeds/$name"
      seeds=("build/fuzz/seeds/$name")
    fi
    log=build/fuzz/$name.log
    echo "-- fuzz_$name for ${fuzz_seconds}s"
    if "$target" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix=build/fuzz/ "$corpus" "${seeds[@]}" >"$log" 2>&1; then
      grep -E '^(Done|stat::number_of_executed_units)' "$log" || true
    else
      tail -n 100 "$log"
      echo "fuzz_$name failed; the input that failed is in build/fuzz/" >&2
      exit 1
    fi
  done
else
  echo "== fuzzing skipped: clang's libFuzzer runtime is not installed"
fi

echo "wavpress: $passed passed, $failed failed"

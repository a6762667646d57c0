#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for the given number of seconds
# (default 60), starting from a seed corpus made from the real universe files
# and the sample templates' settings. Any crash, leak, hang or sanitizer
# report fails the run; the input that caused it is left in build/fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/deps.sh

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZV_SANITIZE=ON -DZV_FUZZ=ON -DZV_BUILD_TESTS=OFF -DZV_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/fuzz --target fuzz_universe fuzz_settings

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/universe" "$work/settings"
cp tests/data/real-xy/*.xy "$work/universe/"
cp resources/templates/*.zv "$work/settings/"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
rm -f build/fuzz/crash-* build/fuzz/leak-* build/fuzz/timeout-* build/fuzz/oom-*
for target in universe settings; do
  echo "== fuzz_$target for ${seconds}s =="
  status=0
  build/fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix=build/fuzz/ "$work/$target" >"$work/$target.log" 2>&1 || status=$?
  grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb|SUMMARY|==[0-9]+==ERROR)' "$work/$target.log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$work/$target.log"
    echo "fuzz_$target found a problem (exit $status); the input is in build/fuzz/"
    exit 1
  fi
done

#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a normal
# build, and one under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== tests =="
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/test
ctest --test-dir build/test -j "$jobs" --output-on-failure

echo "== placement and map tests with a 64-bit long double =="
cmake -S . -B build/nold -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZV_BUILD_BENCHMARKS=OFF -DZV_NO_X87=ON
cmake --build build/nold --target generate_tests map_tests universe_tests
for t in generate_tests map_tests universe_tests; do
  build/nold/tests/$t --gtest_brief=1
done

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZV_SANITIZE=ON -DZV_BUILD_BENCHMARKS=OFF
cmake --build build/sanitize
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp \
  ctest --test-dir build/sanitize -j "$jobs" --output-on-failure

echo "== a short fuzzing run =="
scripts/fuzz.sh 20

#!/usr/bin/env bash
# Installs what is missing, builds Zorvane and starts it. The program's
# directory (build/release/bin) holds the sample templates and a demo universe.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZV_BUILD_TESTS=OFF -DZV_BUILD_BENCHMARKS=OFF
cmake --build build/release --target zorvane
exec build/release/bin/zorvane "$@"

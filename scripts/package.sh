#!/usr/bin/env bash
# Builds the Debian package of Zorvane: build/package/zorvane_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DZV_BUILD_TESTS=OFF -DZV_BUILD_BENCHMARKS=OFF
cmake --build build/package
(cd build/package && cpack -G DEB)
ls build/package/*.deb

#!/usr/bin/env bash
# Builds the Debian package of Zorvane: build/package/zorvane_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
# Hardened as Debian's own packages are (lintian checks for these); only the
# package build gets these flags.
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_CXX_FLAGS="-D_FORTIFY_SOURCE=2 -fstack-protector-strong -fstack-clash-protection" \
  -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now" \
  -DZV_BUILD_TESTS=OFF -DZV_BUILD_BENCHMARKS=OFF
cmake --build build/package
(cd build/package && cpack -G DEB)
ls build/package/*.deb

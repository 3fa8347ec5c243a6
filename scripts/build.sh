#!/bin/bash
# Builds Kalvora, its unit tests and the test helper into build/ (installs what is missing first).
# Optional arguments name the only targets to build, e.g. `build.sh Kalvora`.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
if [[ -f build/CMakeCache.txt ]]; then
  cmake -S . -B build >/dev/null   # the toolchain is fixed at the first configure
else
  cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
fi
if (($#)); then
  cmake --build build -j2 --target "$@"
else
  cmake --build build -j2
fi

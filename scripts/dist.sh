#!/bin/bash
# Builds the Windows packages into out/dist/: the portable zip and the per-user installer, named with the version.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

bash scripts/build.sh Kalvora kvreadme
rm -rf out/dist
mkdir -p out/dist
(cd build && cpack -B "$ROOT/out/dist" >"$ROOT/out/dist/cpack.log") ||
  { tail -n 30 out/dist/cpack.log >&2; exit 1; }
rm -rf out/dist/_CPack_Packages out/dist/cpack.log
ls -l out/dist

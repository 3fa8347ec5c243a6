#!/bin/bash
# Benchmark (not a test): builds a frame-recording Kalvora beside the normal build, starts the private screen,
# sound server and Wine prefix, and reports CPU and frame cost of every pattern next to the floor of bare capture.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

bash scripts/build.sh Kalvora kvprobe capture_floor || exit 1
cmake -S . -B build-bench -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DKV_FRAME_STATS=ON -DKV_BUILD_TESTS=OFF \
  >/dev/null && cmake --build build-bench -j2 --target Kalvora || exit 1

source scripts/env.sh
trap_stop_all
start_all || exit 1

KV_EXE="$ROOT/build/Kalvora.exe" KV_BENCH_EXE="$ROOT/build-bench/Kalvora.exe" KV_PROBE="$ROOT/build/tests/kvprobe.exe" \
KV_FLOOR="$ROOT/build/tests/capture_floor.exe" python3 tests/bench/pattern_bench.py

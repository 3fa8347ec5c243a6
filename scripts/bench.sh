#!/bin/bash
# Benchmarks (not tests): builds, starts the private screen, sound server and Wine prefix, and reports
# the idle CPU of the running program next to the floor of bare capture.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

source scripts/env.sh
kv_build_and_start || exit 1

KV_EXE="$ROOT/build/Kalvora.exe" KV_PROBE="$ROOT/build/tests/kvprobe.exe" \
KV_FLOOR="$ROOT/build/tests/capture_floor.exe" python3 tests/bench/idle_cpu.py

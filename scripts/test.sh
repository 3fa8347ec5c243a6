#!/bin/bash
# The one test command: builds, then runs every test (unit tests and end-to-end tests) under a private
# Xvfb, PulseAudio and Wine prefix, which it stops again however the run ends. Extra args go to ctest.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

source scripts/env.sh
kv_build_and_start || exit 1

start=$SECONDS
# In a group of its own: on Ctrl-C or a kill, stop_all ends ctest and every test it runs.
start_group ctest --test-dir "$ROOT/build" --output-on-failure "$@"
wait "$KV_GROUP_PID"
status=$?
echo "[kalvora] tests took $((SECONDS - start)) s" >&2
exit "$status"

#!/bin/bash
# Benchmark (not a test): builds a frame-recording Kalvora beside the normal build, starts the private screen,
# sound server and Wine prefix, and reports what every pattern costs the program and the X server, next to the
# floor of bare capture and of two boxes a frame spread over the screen, with the offline renderer's speed.
# usage: bash scripts/bench.sh [--before REV]
#   --before REV (or KV_BENCH_BEFORE=REV): also build REV's frame-recording program, from an export of REV in
#                out/bench/before-<commit>/, and measure both cell by cell; prints the ratios after / before.
#   KV_BENCH_SECONDS (10), KV_BENCH_PATTERNS (every one, e.g. 0,3,4,16), KV_BENCH_RENDER_SECONDS (3),
#   KV_SCREEN_SIZE (1920x1080, e.g. 3840x2160): see README.md, "Performance".
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

usage() { sed -n 's/^# \{0,1\}//; 5,9p' "$0" >&2; exit 1; }
BEFORE=${KV_BENCH_BEFORE:-}
while (($#)); do
  case $1 in
    --before) (($# >= 2)) || usage; BEFORE=$2; shift 2 ;;
    --before=*) BEFORE=${1#--before=}; shift ;;
    *) usage ;;
  esac
done

CONFIGURE=(-DKV_FRAME_STATS=ON -DKV_BUILD_TESTS=OFF)
bash scripts/build.sh Kalvora kvprobe capture_floor span_probe KalvoraRender || exit 1
cmake -S . -B build-bench -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake "${CONFIGURE[@]}" \
  >/dev/null && cmake --build build-bench -j2 --target Kalvora || exit 1

# The older revision is exported, not checked out: it registers nothing in the repository that the other
# worktrees share, and its build directory stays for the next comparison with the same commit.
if [[ -n "$BEFORE" ]]; then
  commit=$(git rev-parse --verify --quiet "$BEFORE^{commit}") || { echo "bench: no such revision: $BEFORE" >&2; exit 1; }
  dir="$ROOT/out/bench/before-${commit:0:12}"
  if [[ ! -f "$dir/src/CMakeLists.txt" ]]; then
    rm -rf "$dir/src" && mkdir -p "$dir/src" && git archive "$commit" | tar -x -C "$dir/src" ||
      { echo "bench: could not export $BEFORE" >&2; exit 1; }
  fi
  # Without these the older program cannot be built the same way or keeps no record of its frames.
  grep -q 'KV_FRAME_STATS' "$dir/src/CMakeLists.txt" ||
    { echo "bench: $BEFORE (${commit:0:10}) has no KV_FRAME_STATS build option: its program keeps no frame" \
        "record to compare with; choose a later revision" >&2; rm -rf "$dir"; exit 1; }
  [[ -f "$dir/src/cmake/mingw-i686.cmake" ]] ||
    { echo "bench: $BEFORE (${commit:0:10}) has no cmake/mingw-i686.cmake to cross-build with" >&2; rm -rf "$dir"
      exit 1; }
  grep -q 'KV_BUILD_TESTS' "$dir/src/CMakeLists.txt" ||
    echo "bench: note: $BEFORE has no KV_BUILD_TESTS option; only its Kalvora target is built anyway" >&2
  cmake -S "$dir/src" -B "$dir/build" -DCMAKE_TOOLCHAIN_FILE="$dir/src/cmake/mingw-i686.cmake" \
    "${CONFIGURE[@]}" >/dev/null && cmake --build "$dir/build" -j2 --target Kalvora ||
    { echo "bench: $BEFORE (${commit:0:10}) did not build with ${CONFIGURE[*]}" >&2; exit 1; }
  export KV_BEFORE_EXE="$dir/build/Kalvora.exe" KV_BEFORE_SOURCE="$dir/src"
  export KV_BEFORE_NAME="$BEFORE ($(git log -1 --format='%h %ad' --date=short "$commit"))"
  export KV_AFTER_NAME="this worktree at $(git log -1 --format='%h' HEAD)$(git diff --quiet HEAD -- . || echo ' with changes')"
fi

source scripts/env.sh
trap_stop_all
start_all || exit 1

KV_EXE="$ROOT/build/Kalvora.exe" KV_BENCH_EXE="$ROOT/build-bench/Kalvora.exe" KV_PROBE="$ROOT/build/tests/kvprobe.exe" \
KV_FLOOR="$ROOT/build/tests/capture_floor.exe" KV_SPAN="$ROOT/build/tests/span_probe.exe" \
KV_RENDER="$ROOT/build/KalvoraRender.exe" \
KV_XVFB_PID="$KV_XVFB_PID" KV_WINESERVER_PID="$KV_WINESERVER_PID" python3 tests/bench/pattern_bench.py

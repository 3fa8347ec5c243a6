#!/bin/bash
# The one run command: builds Kalvora, then runs it. On a desktop with a sound server it simply starts there;
# otherwise it runs it for about 30 s on a private X screen with a built-in beat as sound input, takes
# screenshots every few seconds, prints where they are and stops everything it started.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
RUN_SECONDS=${KV_RUN_SECONDS:-30}
SHOT_EVERY=5
SHOTS="$ROOT/out/screenshots"

bash scripts/build.sh Kalvora || exit 1

if [[ -n "${DISPLAY:-}" ]] && timeout 5 pactl info >/dev/null 2>&1; then
  exec wine "$ROOT/build/Kalvora.exe" "$@"
fi

source scripts/env.sh
trap_stop_all
start_all || exit 1

# 120 BPM: a loud 0.1 s burst on every beat, then 0.4 s of soft tone; 11025 Hz mono 16 bit.
make_beat() {
  local dir=$KV_TMP/beat
  mkdir -p "$dir"
  sox -D -r 11025 -c 1 -n -b 16 "$dir/burst.wav" synth 0.1 square 220 vol 0.9
  sox -D -r 11025 -c 1 -n -b 16 "$dir/gap.wav" synth 0.4 sine 220 vol 0.05
  sox "$dir/burst.wav" "$dir/gap.wav" "$KV_TMP/beat.wav" repeat 19   # 10 s
}

# Plays the beat into the null sink over and over; ends its player when stopped.
start_beat() {
  (
    trap 'kill "$player" 2>/dev/null; exit 0' TERM
    while :; do
      paplay "$KV_TMP/beat.wav" & player=$!
      wait "$player"
    done
  ) &
  KV_PIDS+=("$!")
}

take_screenshots() {
  local n=0 elapsed=0
  while ((elapsed < RUN_SECONDS)); do
    sleep "$SHOT_EVERY"
    elapsed=$((elapsed + SHOT_EVERY))
    kv_alive "$KALVORA_PID" || { kv_log "Kalvora ended after about $elapsed s"; break; }
    n=$((n + 1))
    import -window root "$(printf '%s/shot-%02d-%03ds.png' "$SHOTS" "$n" "$elapsed")"
  done
}

make_beat && start_beat
mkdir -p "$SHOTS"
rm -f "$SHOTS"/shot-*.png
wine explorer /desktop=kalvora,1280x1024 "$ROOT/build/Kalvora.exe" "$@" >"$KV_TMP/kalvora.log" 2>&1 &
KALVORA_PID=$!
KV_PIDS+=("$KALVORA_PID")
kv_log "Kalvora runs for $RUN_SECONDS s inside a Wine virtual desktop on $DISPLAY"
take_screenshots
echo "Screenshots: $SHOTS"

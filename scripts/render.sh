#!/bin/bash
# Renders a song to a music video: decodes it to the program's sound format, draws every frame offline with
# KalvoraRender under Wine, and muxes the frames with the original sound into an H.264 MP4.
# usage: scripts/render.sh SONG OUT.mp4 [KalvoraRender options, e.g. --pattern 7 --size 1280x720 --seed 3]
set -uo pipefail

usage() {
  echo "usage: bash scripts/render.sh SONG OUT.mp4 [options]   (options: see KalvoraRender's own usage below)" >&2
  exit 1
}
(($# >= 2)) || usage
SONG=$(realpath -- "$1" 2>/dev/null) && [[ -f "$SONG" ]] || { echo "render: no such sound file: $1" >&2; exit 2; }
OUT=$(realpath -m -- "$2")
[[ "$OUT" == *.mp4 ]] || { echo "render: the video's name must end in .mp4: $2" >&2; exit 1; }
shift 2
OPTIONS=("$@")
# The video is made of the raw frames on the renderer's standard output: options that send them elsewhere
# would leave the encoder nothing to encode.
for option in "${OPTIONS[@]}"; do
  if [[ "$option" == --bmp || "$option" == --hashes || "$option" == --levels ]]; then
    echo "render: $option writes no raw frames, so no video can be made with it; run KalvoraRender.exe itself" >&2
    exit 1
  fi
done
cd "$(dirname "$0")/.."
ROOT=$PWD
FPS=11025/200   # one frame per 200 samples at 11025 Hz: 55.125 frames a second

bash scripts/build.sh KalvoraRender >&2 || exit 1
source scripts/env.sh

# The picture size the renderer is asked for (its default is 640x480).
frame_size() {
  local i size=640x480
  for ((i = 0; i < ${#OPTIONS[@]}; i++)); do
    [[ "${OPTIONS[i]}" == --size ]] && size=${OPTIONS[i + 1]:-$size}
  done
  echo "$size"
}

# A Wine prefix of its own, kept between renders (the test command's prefix is used when it is set).
use_prefix() {
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [[ -z "${WINEPREFIX:-}" ]]; then
    export WINEPREFIX="$ROOT/out/wine-prefix"
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
      echo "render: preparing a Wine prefix (once)" >&2
      mkdir -p "$WINEPREFIX" && wineboot -i >/dev/null 2>&1 || { echo "render: wineboot failed" >&2; exit 1; }
    fi
  fi
}

WORK=$(mktemp -d "${TMPDIR:-/tmp}/kalvora-render.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

use_prefix
if ! ffmpeg -nostdin -v error -i "$SONG" -vn -ac 1 -ar 11025 -c:a pcm_s16le -f wav "$WORK/sound.wav"; then
  echo "render: ffmpeg could not read $SONG as sound" >&2
  exit 2
fi
SIZE=$(frame_size)
start=$SECONDS
# The renderer's progress bar goes to the terminal; its frames go straight into the encoder. The video is
# written beside the work files and moved into place only when everything has succeeded.
wine "$ROOT/build/KalvoraRender.exe" "${OPTIONS[@]}" "$(winepath -w "$WORK/sound.wav")" |
  ffmpeg -nostdin -v error -f rawvideo -pix_fmt bgr0 -s "$SIZE" -r "$FPS" -i - -i "$SONG" \
    -map 0:v -map 1:a -c:v libx264 -preset veryfast -crf 20 -pix_fmt yuv420p -c:a aac -b:a 160k -shortest \
    -movflags +faststart "$WORK/video.mp4"
status=("${PIPESTATUS[@]}")
if ((status[0] != 0 || status[1] != 0)); then
  echo "render: failed (renderer exit ${status[0]}, encoder exit ${status[1]}); no video written" >&2
  exit 3
fi
# A song shorter than one block of 200 samples gives no frame, and ffmpeg still writes a video without streams.
frames=$(ffprobe -v error -select_streams v -show_entries stream=nb_frames -of csv=p=0 "$WORK/video.mp4")
if [[ ! "$frames" =~ ^[1-9][0-9]*$ ]]; then
  echo "render: the renderer drew no frame (a song needs at least 200 samples at 11025 Hz); no video written" >&2
  exit 3
fi
mkdir -p "$(dirname "$OUT")" && mv -f "$WORK/video.mp4" "$OUT" || exit 3
seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$OUT")
took=$((SECONDS - start))
awk -v s="$seconds" -v t="$took" -v out="$OUT" 'BEGIN {
  printf "render: %s: %.1f s of video in %d s (%.1f times real time)\n", out, s, t, (t > 0 ? s / t : s) }' >&2

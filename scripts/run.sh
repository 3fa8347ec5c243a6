#!/bin/bash
# The one run command: builds and starts Kalvora; without a desktop it plays every pattern to built-in music and screenshots each.
# With --system-sound Kalvora shows what the default sound output plays rather than the default input.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
# How long each pattern runs before its screenshot; the music's loud part lasts from 3 s to 11 s after the switch.
SETTLE_SECONDS=${KV_SETTLE_SECONDS:-4}
RETRY_SETTLE_SECONDS=$((SETTLE_SECONDS + 3))
MIN_DRAWN_PIXELS=16                       # a 5-pixel disc; a blank display has none
SHOTS="$ROOT/out/screenshots"
PATTERNS=17
DESKTOP_SIZE=1280x1024
WM_COMMAND=0x0111
SHEET_FONT=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

# --system-sound: Kalvora records what the default output plays instead of the default input.
SYSTEM_SOUND=0
ARGS=()
for arg in "$@"; do
  if [[ "$arg" == --system-sound ]]; then SYSTEM_SOUND=1; else ARGS+=("$arg"); fi
done
set -- "${ARGS[@]}"

bash scripts/build.sh Kalvora kvprobe || exit 1
source scripts/env.sh
CONTROL=("$(kv_control_class)" Kalvora)   # class and title of the control window
ID_PATTERN0=$(kv_resource_id ID_PATTERN_FIRST)   # menu commands "Pattern0" .. "Pattern16" follow one another

# For Kalvora's Wine process alone, so the desktop's default input stays as the user set it.
use_system_sound() {
  ((SYSTEM_SOUND)) || return 0
  PULSE_SOURCE=$(kv_system_sound_source) || { kv_log "--system-sound: the sound server names no default output"; return 1; }
  export PULSE_SOURCE
  kv_log "Kalvora records $PULSE_SOURCE, what the default output plays"
}

if [[ -n "${DISPLAY:-}" ]] && timeout 5 pactl info >/dev/null 2>&1; then
  use_system_sound || exit 1
  exec wine "$ROOT/build/Kalvora.exe" "$@"
fi

trap_stop_all
start_all || exit 1

shot_path() { printf '%s/pattern-%02d.png' "$SHOTS" "$1"; }

# Kalvora in a Wine virtual desktop, which the probe's Wine processes share; waits for its display window.
start_kalvora() {
  kv_use_virtual_desktop "$DESKTOP_SIZE" || return 1
  (use_system_sound && exec wine "$ROOT/build/Kalvora.exe" "$@") >"$KV_TMP/kalvora.log" 2>&1 &
  KALVORA_PID=$!
  KV_PIDS+=("$KALVORA_PID")
  kv_probe wait '*' Pattern0 60000 >/dev/null || { kv_log "the display window did not appear"; return 1; }
  kv_log "Kalvora runs inside a Wine virtual desktop on $DISPLAY"
}

# Picks pattern $1 as its menu item does, so the control window follows along (and Arrange becomes None),
# then waits until the display's title names the pattern.
select_pattern() {
  kv_probe post "${CONTROL[@]}" "$WM_COMMAND" $((ID_PATTERN0 + $1)) 0 >/dev/null &&
    kv_probe wait '*' "Pattern$1" 30000 >/dev/null
}

# The display window's client area (it shows pattern $1) as an ImageMagick crop geometry on the X screen.
display_geometry() {
  local left top right bottom rest x0 y0
  read -r left top right bottom rest < <(kv_probe client '*' "Pattern$1") && [[ -n "$bottom" ]] || return 1
  read -r x0 y0 < <(kv_desktop_origin)
  echo "$((right - left))x$((bottom - top))+$((x0 + left))+$((y0 + top))"
}

# Saves the part $1 (a crop geometry) of the X screen as the PNG file $2.
save_screen_part() {
  import -window root "$KV_TMP/root.png" && convert "$KV_TMP/root.png" -crop "$1" +repage "$2"
}

# The errors the sound server logged: an abort names its cause, a kill leaves none.
sound_server_errors() { grep '^E:' "$KV_TMP/pulse.log" | tail -n 3 >&2; }

# The process the sound server's pid file names, when it is still this run's server (pids are reused).
old_sound_server_pid() {
  local pid
  pid=$(cat "$XDG_RUNTIME_DIR/pulse/pid" 2>/dev/null) && grep -qF "$KV_TMP/" "/proc/$pid/cmdline" 2>/dev/null &&
    echo "$pid"
}

# The private sound server answers; when it does not it is started again (same socket, sink and defaults).
# Kalvora reopens its sound input by itself once the server is back. A server that hangs is ended first; the
# pid file of one that died goes, for while the dead process is not yet reaped, PulseAudio takes it for a
# running server and refuses to start.
ensure_sound_server() {
  local old
  timeout 5 pactl info >/dev/null 2>&1 && return 0
  kv_log "the sound server has gone; starting it again"
  sound_server_errors
  old=$(old_sound_server_pid) && kv_stop_pid "$old"
  rm -f "$XDG_RUNTIME_DIR/pulse/pid"
  start_pulse || { sound_server_errors; return 1; }
}

# How many pixels of the PNG $1 differ from its most common colour, the display's background.
drawn_pixels() {
  convert "$1" -format %c histogram:info:- |
    awk -F: '{ n = $1 + 0; total += n; if (n > most) most = n } END { print total - most }'
}

# The picture $1 shows more than the background. A few pixels are enough: a loud pattern may draw a single disc.
shows_drawing() {
  local drawn
  drawn=$(drawn_pixels "$1") || return 1
  ((drawn >= MIN_DRAWN_PIXELS))
}

# One screenshot of pattern $1, $2 seconds after the music has started afresh; the sound server is checked
# (and started again when it has gone) before.
shoot_pattern() {
  local n=$1 settle=$2 geometry
  kv_alive "$KALVORA_PID" || { kv_log "Kalvora ended before Pattern$n"; tail -n 20 "$KV_TMP/kalvora.log"; return 1; }
  ensure_sound_server || { kv_log "the sound server could not be started again"; return 1; }
  select_pattern "$n" || { kv_log "the display did not switch to Pattern$n"; return 1; }
  geometry=$(display_geometry "$n") || { kv_log "no client rectangle for Pattern$n"; return 1; }
  kv_restart_loop
  sleep "$settle"
  save_screen_part "$geometry" "$(shot_path "$n")" || { kv_log "no screenshot of Pattern$n"; return 1; }
}

# Shows each pattern so that every screenshot falls into the music's loud part. A pattern that could not be
# shot or shows only its background is tried once more, later in the loud part (Kalvora may be slow to reopen
# its sound input, or lag behind the music); one that stays blank is named in BLANK_PATTERNS.
show_every_pattern() {
  local n
  BLANK_PATTERNS=()
  for ((n = 0; n < PATTERNS; n++)); do
    if ! shoot_pattern "$n" "$SETTLE_SECONDS" || ! shows_drawing "$(shot_path "$n")"; then
      kv_log "no picture of Pattern$n yet; once more"
      shoot_pattern "$n" "$RETRY_SETTLE_SECONDS" || return 1
      shows_drawing "$(shot_path "$n")" || { BLANK_PATTERNS+=("Pattern$n"); kv_log "Pattern$n stays blank"; }
    fi
    kv_log "Pattern$n: $(shot_path "$n")"
  done
}

# All screenshots as 320 x 240 thumbnails, six to a row, each with its menu name under it.
make_contact_sheet() {
  local args=() n
  for ((n = 0; n < PATTERNS; n++)); do args+=(-label "Pattern$n" "$(shot_path "$n")"); done
  montage "${args[@]}" -tile 6x -geometry 320x240+6+6 -background '#202020' -fill white \
    -font "$SHEET_FONT" -pointsize 18 -depth 8 "$SHOTS/contact-sheet.png"
}

mkdir -p "$SHOTS"
rm -f "$SHOTS"/shot-*.png "$SHOTS"/pattern-*.png "$SHOTS/contact-sheet.png"
kv_make_music "$KV_TMP/music.wav" || { kv_log "sox could not make the music"; exit 1; }
kv_play_loop "$KV_TMP/music.wav"
start_kalvora "$@" || exit 1
show_every_pattern || exit 1
kv_stop_pid "$KV_LOOP_PID"   # before the sound server goes, so no player complains about it
make_contact_sheet || { kv_log "montage failed"; exit 1; }
echo "Screenshots: $SHOTS/pattern-00.png .. pattern-16.png"
echo "Contact sheet: $SHOTS/contact-sheet.png"
if ((${#BLANK_PATTERNS[@]})); then
  kv_log "only the background, no drawing, in: ${BLANK_PATTERNS[*]}"
  exit 1
fi

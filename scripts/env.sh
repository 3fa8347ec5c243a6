# Shared set-up for test.sh and run.sh: private X server, sound server and Wine prefix, all stopped by pid,
# and helpers that drive the running program (window probe, virtual desktop, music-like sound).
# Source it; it defines functions and their bookkeeping variables only. Everything lives in one private
# folder, $KV_TMP.

KV_PIDS=()          # processes we started, stopped in reverse order
KV_GROUPS=()        # process groups we started (a test runner and all it runs), stopped first
KV_WINESERVER_PID=""
KV_XVFB_PID=""      # the benchmark counts the X server's CPU as part of what drawing costs

kv_log() { echo "[kalvora] $*" >&2; }

# Private folder for this run; removed by stop_all unless KV_KEEP_TMP=1.
make_tmp() {
  KV_TMP=$(mktemp -d /tmp/kalvora.XXXXXX)
  export KV_TMP
}

# Waits up to $1 seconds for the command after it to succeed.
kv_wait_for() {
  local seconds=$1; shift
  local tries=$((seconds * 10))
  while ((tries-- > 0)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# A zombie (exited, not yet reaped) counts as gone.
kv_alive() {
  local state
  kill -0 "$1" 2>/dev/null || return 1
  state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)
  [[ -n "$state" && "$state" != Z ]]
}

# Xvfb on the first free display from :91, a 24-bit screen of KV_SCREEN_SIZE (default 1920x1080, the most
# common monitor: Fit Monitor Size is tested at that size).
start_xvfb() {
  local n pid
  for n in $(seq 91 140); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 "${KV_SCREEN_SIZE:-1920x1080}x24" -nolisten tcp -noreset >"$KV_TMP/xvfb.log" 2>&1 &
    pid=$!
    if kv_wait_for 15 xdpyinfo -display ":$n" && kv_alive "$pid"; then
      KV_PIDS+=("$pid")
      KV_XVFB_PID=$pid
      export DISPLAY=":$n"
      kv_log "Xvfb on $DISPLAY (pid $pid)"
      return 0
    fi
    kill "$pid" 2>/dev/null   # lost a race for that display: try the next one
    wait "$pid" 2>/dev/null
  done
  kv_log "no free X display found"; return 1
}

# PulseAudio with one null sink "kv" whose monitor is the default source: what paplay plays, Wine records. A
# second sink, "music" ("Monitor of Music" as an input), is there for choosing an input other than the default.
# The sink runs at the program's own format (11025 Hz, mono, 16 bit) so no resampler touches the samples:
# a constant signal arrives bit-exact (at 44.1 kHz stereo, 16448 came back as 16453).
# Without shared memory: at that format the server hands a player's blocks on to the recorder unchanged, and
# when such a player ended (a restarted paplay) PulseAudio 16 could abort on an assertion in memblock.c
# ("n_imported > 0"), after "Cannot send block reference with non-registered memfd ID" in its log; every
# later client then met "Connection refused". Over the socket the blocks are copied, which costs nothing here.
start_pulse() {
  export XDG_RUNTIME_DIR="$KV_TMP/run"
  mkdir -p "$XDG_RUNTIME_DIR" "$KV_TMP/home"
  chmod 700 "$XDG_RUNTIME_DIR"
  export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
  # Clients must never spawn a sound server of their own (matters when a test points PULSE_SERVER elsewhere).
  printf 'autospawn = no\n' >"$KV_TMP/pulse-client.conf"
  export PULSE_CLIENTCONFIG="$KV_TMP/pulse-client.conf"
  HOME="$KV_TMP/home" pulseaudio --daemonize=yes --exit-idle-time=-1 --system=false -n --disable-shm=yes \
    --log-target=file:"$KV_TMP/pulse.log" \
    --load="module-native-protocol-unix auth-anonymous=1" \
    --load="module-null-sink sink_name=kv rate=11025 channels=1 format=s16le" \
    --load="module-null-sink sink_name=music rate=11025 channels=1 format=s16le sink_properties=device.description=Music" \
    || { kv_log "pulseaudio failed, see $KV_TMP/pulse.log"; return 1; }
  local pid
  kv_wait_for 10 test -s "$XDG_RUNTIME_DIR/pulse/pid" || { kv_log "pulseaudio wrote no pid"; return 1; }
  pid=$(<"$XDG_RUNTIME_DIR/pulse/pid")
  KV_PIDS+=("$pid")
  kv_wait_for 10 pactl info || { kv_log "pulseaudio does not answer"; return 1; }
  pactl set-default-sink kv && pactl set-default-source kv.monitor
  kv_log "PulseAudio at $PULSE_SERVER (pid $pid)"
}

kv_wine_env() {
  export WINEPREFIX="$KV_TMP/prefix"
  export WINEDEBUG=-all
  # No menu builder: a shortcut that a test's installer makes must not become a menu entry of the real desktop.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

# A persistent wineserver keeps each later Wine start short (about 0.3 s instead of seconds).
start_wineserver() {
  kv_wine_env
  mkdir -p "$WINEPREFIX"
  wineserver -f -p >"$KV_TMP/wineserver.log" 2>&1 &
  KV_WINESERVER_PID=$!
  KV_PIDS+=("$KV_WINESERVER_PID")
  # The server works in its own server folder, where it makes its socket.
  kv_wait_for 10 test -S "/proc/$KV_WINESERVER_PID/cwd/socket" || kv_log "wineserver socket not seen yet"
}

# Fresh prefix plus the Japanese dialog font replacement. Under qemu this takes about 15 s.
make_prefix() {
  kv_wine_env
  local start=$SECONDS
  wineboot -i >"$KV_TMP/wineboot.log" 2>&1 || { kv_log "wineboot failed, see $KV_TMP/wineboot.log"; return 1; }
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /t REG_SZ /d IPAPGothic /f \
    >>"$KV_TMP/wineboot.log" 2>&1 || { kv_log "font replacement failed"; return 1; }
  # Unmanaged windows: Wine draws the frames itself and does not wait (2 s per top-level window)
  # for a window manager, which this X screen does not have, to confirm each window's withdrawal.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
    >>"$KV_TMP/wineboot.log" 2>&1 || { kv_log "X11 driver setting failed"; return 1; }
  kv_log "Wine prefix $WINEPREFIX ready in $((SECONDS - start)) s"
}

# Builds (the given targets, or all), then brings up the private screen, sound server and Wine prefix for
# the calling script; all of it is stopped again when that script ends.
kv_build_and_start() {
  bash scripts/build.sh "$@" || return 1
  trap_stop_all
  start_all
}

# X, sound and Wine, in that order; the wineserver before wineboot so that it is the one kept.
start_all() {
  make_tmp
  kv_log "private folder $KV_TMP"
  start_xvfb && start_pulse && start_wineserver && make_prefix && hold_desktop
}

# Wine's desktop process ends a few seconds after its last program; a program started meanwhile waits for it
# to end and start again (up to 20 s). One idle program that stays connected keeps it for the whole run.
hold_desktop() {
  local probe
  probe="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/tests/kvprobe.exe"
  [[ -f "$probe" ]] || return 0
  wine "$probe" hold 86400000 >/dev/null 2>&1 &
  KV_PIDS+=("$!")
  # Returns once the desktop process runs. Started later, by the first program of a caller that reads its
  # output through a pipe (ctest listing the unit tests), it would inherit that pipe and, held, keep it open:
  # the reader then waits for the end of the output until its time-out.
  wine "$probe" list >/dev/null 2>&1
}

kv_stop_pid() {
  local pid=$1 i
  kv_alive "$pid" || { wait "$pid" 2>/dev/null; return 0; }
  kill "$pid" 2>/dev/null
  for i in $(seq 50); do kv_alive "$pid" || break; sleep 0.1; done
  kv_alive "$pid" && kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null   # reaps our own children; returns at once for others
}

kv_stop_group() {
  local pgid=$1 i
  kill -TERM -- "-$pgid" 2>/dev/null || return 0
  for i in $(seq 50); do kill -0 -- "-$pgid" 2>/dev/null || break; sleep 0.1; done
  kill -KILL -- "-$pgid" 2>/dev/null
  wait "$pgid" 2>/dev/null
}

# Starts a command in a process group of its own, so that stop_all can end it with all its children.
start_group() {
  setsid "$@" &
  KV_GROUPS+=("$!")
  KV_GROUP_PID=$!
}

# Ends our process groups, every Wine process of our prefix, then everything in KV_PIDS, newest first.
stop_all() {
  local g
  for g in "${KV_GROUPS[@]}"; do kv_stop_group "$g"; done
  KV_GROUPS=()
  if [[ -n "$KV_WINESERVER_PID" ]] && kv_alive "$KV_WINESERVER_PID"; then
    WINEPREFIX="$KV_TMP/prefix" timeout 20 wineserver -k 2>/dev/null
  fi
  # A test may have restarted the sound server: whichever one our pid file names now is ours too.
  local pulse_pid="${XDG_RUNTIME_DIR:-}/pulse/pid"
  if [[ -n "${KV_TMP:-}" && "${XDG_RUNTIME_DIR:-}" == "$KV_TMP"/* && -s "$pulse_pid" ]]; then
    kv_stop_pid "$(<"$pulse_pid")"
  fi
  local i
  for ((i = ${#KV_PIDS[@]} - 1; i >= 0; i--)); do
    kv_stop_pid "${KV_PIDS[i]}"
  done
  KV_PIDS=()
  if [[ -n "${KV_TMP:-}" && -d "$KV_TMP" && "${KV_KEEP_TMP:-0}" != 1 ]]; then
    rm -rf "$KV_TMP"
  fi
}

# Runs stop_all on every way out: normal end, failure, Ctrl-C, kill.
trap_stop_all() {
  trap 'stop_all' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

# The monitor of the sound server's current default output ("<sink>.monitor"): given to one program as
# PULSE_SOURCE, it records whatever the desktop plays while everybody's default input stays as it is.
kv_system_sound_source() {
  local sink
  sink=$(pactl get-default-sink 2>/dev/null) && [[ -n "$sink" ]] || return 1
  printf '%s.monitor\n' "$sink"
}

# ---- Driving the running program: window probe and sound

# A command ID as the program has it: the number #defined for NAME in res/resource.h or afx/base/AfxRes.h.
kv_resource_id() {
  awk -v name="$1" '$1 == "#define" && $2 == name { print $3; exit }' \
    "$(dirname "${BASH_SOURCE[0]}")/../res/resource.h" "$(dirname "${BASH_SOURCE[0]}")/../afx/base/AfxRes.h"
}

# The control window's class: the program names it after its settings file, string IDS_INIFILE of the resources.
kv_control_class() {
  local name
  name=$(sed -n 's/^[[:space:]]*IDS_INIFILE[[:space:]]*"\([^"]*\)".*/\1/p' "$(dirname "${BASH_SOURCE[0]}")/../res/Kalvora.rc")
  echo "$name Class"
}

KV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Runs the window probe (build target kvprobe) under Wine, without the carriage returns of its output. It sees
# the windows of Wine's desktop "Default": the real X screen, or a virtual desktop given that name.
kv_probe() {
  local out status
  out=$(wine "$KV_ROOT/build/tests/kvprobe.exe" "$@")
  status=$?
  [[ -n "$out" ]] && printf '%s\n' "${out//$'\r'/}"
  return "$status"
}

# Makes every later Wine program of the prefix run inside one virtual desktop of the given size ("1280x1024"),
# a window on the X screen named "Default - Wine desktop" that shows frames and menus without a window manager.
kv_use_virtual_desktop() {
  local reg="$KV_TMP/virtual-desktop.reg"
  printf '%s\n' REGEDIT4 '' '[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"="Default"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' "\"Default\"=\"$1\"" >"$reg"
  wine reg import "$(winepath -w "$reg")" >>"$KV_TMP/wineboot.log" 2>&1 ||
    { kv_log "virtual desktop setting failed"; return 1; }
}

# Where the virtual desktop's top-left corner lies on the X screen, as "x y" (Win32 screen coordinates are
# relative to it).
kv_desktop_origin() {
  local xid
  xid=$(xwininfo -root -tree | awk '/"Default - Wine desktop"/ {print $1; exit}')
  [[ -n "$xid" ]] || { echo "0 0"; return; }
  xwininfo -id "$xid" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}'
}

# Plays a sound file into the default sink over and over, until stop_all ends it (and its player);
# kv_restart_loop starts it again from its beginning.
kv_play_loop() {
  (
    trap 'kill "$player" 2>/dev/null; exit 0' TERM
    trap 'kill "$player" 2>/dev/null' USR1
    while :; do
      paplay "$1" & player=$!
      wait "$player"
      # A player that could not start (the sound server has gone) is tried again a second later, at once on USR1.
      if (($? == 1)); then sleep 1 & player=$!; wait "$player"; fi
    done
  ) &
  KV_LOOP_PID=$!
  KV_PIDS+=("$KV_LOOP_PID")
}

kv_restart_loop() { kill -USR1 "$KV_LOOP_PID"; }

# One sox voice: kv_tone FILE SECONDS synth-arguments..., at the program's own format (11025 Hz, mono, 16 bit),
# without dither (-D) so the samples are exactly what the arguments say.
kv_tone() {
  local out=$1 seconds=$2
  shift 2
  sox -D -r 11025 -c 1 -n -b 16 "$out" synth "$seconds" "$@"
}

# Sums voices at full volume (sox -m alone would halve each of two): kv_mix OUT IN...
kv_mix() {
  local out=$1 args=() f
  shift
  for f in "$@"; do args+=(-v 1 "$f"); done
  sox -D -m "${args[@]}" -b 16 "$out"
}

# 13 s of music-like sound for the analyser, which takes one sample per 200 (every 18 ms) and calls
# |sample| / 128 its level. Soft tones (levels below 50) for 1 s, silence for 0.5 s, medium sawtooth pulses
# over a triangle tone (levels up to about 128, jumps above 30 and 50) for 1.5 s, then from 3 s to 11 s loud
# beats at 120 BPM: a square kick, then a square tone with a sawtooth buzz on it, at four accent volumes and
# with no quiet gap (levels 50 to 243 all the time, jumps above 100 at the beats, above 30 within them); then
# soft tones for 1.5 s and silence for 0.5 s. A square wave is measured at its full amplitude wherever it is
# sampled; the sawtooth frequencies move about 0.38 of a cycle from one measured sample to the next, so their
# levels jump around instead of drifting.
kv_make_music() {
  local out=$1 dir kick hit bar=()
  dir=$(mktemp -d "${KV_TMP:-/tmp}/music.XXXXXX") || return 1
  kv_tone "$dir/buzz.wav" 0.35 sawtooth 296.7 vol 0.1 || return 1
  for kick in 0.95:0.45 0.7:0.35 0.9:0.4 0.6:0.3; do            # kick volume : hit volume
    hit=${kick#*:} kick=${kick%:*}
    kv_tone "$dir/kick-$kick.wav" 0.15 square 82 vol "$kick" &&
      kv_tone "$dir/hit-$kick.wav" 0.35 square 110 vol "$hit" &&
      kv_mix "$dir/hit-buzz-$kick.wav" "$dir/hit-$kick.wav" "$dir/buzz.wav" &&
      sox -D "$dir/kick-$kick.wav" "$dir/hit-buzz-$kick.wav" "$dir/beat-$kick.wav" || return 1
    bar+=("$dir/beat-$kick.wav")
  done
  sox -D "${bar[@]}" "${bar[@]}" "${bar[@]}" "${bar[@]}" "$dir/loud.wav" &&
    kv_tone "$dir/pulse-saw.wav" 0.25 sawtooth 186.4 vol 0.5 fade 0 0.25 0.1 &&
    kv_tone "$dir/pulse-tri.wav" 0.25 triangle 165 vol 0.18 &&
    sox -D "$dir/pulse-saw.wav" "$dir/pulse-tri.wav" "$dir/pulse.wav" &&
    sox -D "$dir/pulse.wav" "$dir/medium.wav" repeat 2 &&
    kv_tone "$dir/soft-a.wav" 2.5 sine 196 vol 0.12 tremolo 2 60 &&
    kv_tone "$dir/soft-b.wav" 2.5 sine 247.3 vol 0.08 &&
    kv_mix "$dir/soft.wav" "$dir/soft-a.wav" "$dir/soft-b.wav" &&
    sox -D "$dir/soft.wav" "$dir/soft-1.wav" trim 0 1 &&
    sox -D "$dir/soft.wav" "$dir/soft-2.wav" trim 1 &&
    kv_tone "$dir/silence.wav" 0.5 sine 0 vol 0 &&
    sox -D "$dir/soft-1.wav" "$dir/silence.wav" "$dir/medium.wav" "$dir/loud.wav" "$dir/soft-2.wav" \
      "$dir/silence.wav" "$out" || return 1
  rm -rf "$dir"
}

#!/usr/bin/env bash
# A learner's afternoon in a real X window with PulseAudio's null sink: a jig at 50 % looped
# for a minute beside two busy loops, stopped and started again, Escape pressed twice. Counts
# the dropouts heard at the sink's monitor (10 ms of digital silence while the tune rings) and
# shows the window's title and the practice panel. Screenshots in build/xvfb-afternoon/.
set -euo pipefail
cd "$(dirname "$0")/.."

. scripts/xvfb-common.sh
install_missing xvfb xdotool imagemagick x11-utils openbox pulseaudio pulseaudio-utils python3

out=build/xvfb-afternoon
mkdir -p "$out"
out=$(cd "$out" && pwd)
export DISPLAY=:97
export XDG_RUNTIME_DIR=$out/runtime
export XDG_CONFIG_HOME=$out/config
export HOME=$out/home
rm -rf "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$HOME"
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$HOME"

# A jig with a pickup, every eighth ringing into the next: no rest the ring could fade in.
song=$out/jig.abc
printf '%s\n' 'X:1' 'T:Practice Jig' 'M:6/8' 'L:1/8' 'Q:3/8=100' 'K:G' \
  'D | GAB AGE | GAB d2B | cBA BAG | AGE E2D :|' \
  '|: Bdd edd | Bdd e2d | cBA BAG | AGE E2D :|' > "$song"

pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; pulseaudio --kill 2>/dev/null || true' EXIT
Xvfb "$DISPLAY" -screen 0 1280x1024x24 >/dev/null 2>&1 & pids+=($!)
sleep 1
openbox >/dev/null 2>&1 & pids+=($!)
wait_window_manager
pulseaudio -D --exit-idle-time=-1 --log-target=file:"$out/pulseaudio.log" 2>/dev/null
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl load-module module-null-sink sink_name=silent >/dev/null
pactl set-default-sink silent

record_sink "$out/arrivals.txt"; pids+=($!)
sleep 0.5
now() { python3 -c 'import time; print("%.4f" % time.monotonic())'; }

./build/dovrelplinvara "$song" 2>"$out/program.log" & app=$!; pids+=($app)
main=$(wait_window 'ハープ用図形楽譜')
sleep 1
xdotool windowactivate --sync "$main"
for _ in $(seq 10); do xdotool key --window "$main" minus; done # 100 % → 50 %
xdotool mousemove --window "$main" 200 200 click 3
sleep 1
xdotool key Down Down Down Return # ループ
sleep 0.5
xdotool key --window "$main" p # the practice panel
sleep 1

busy=()
for _ in 1 2; do sh -c 'while :; do :; done' & busy+=($!); pids+=($!); done

play() { # seconds; prints the start and the end of what was heard
  local from; from=$(now)
  xdotool key --window "$main" space
  sleep "$1"
  xdotool mousemove --window "$main" 150 $((100 + RANDOM % 200)) # the pointer over a measure
  import -window root "$out/playing.png"
  xdotool key --window "$main" space
  echo "$from $(now)"
}
first=$(play 32)
sleep 1
second=$(play 32)
for p in "${busy[@]}"; do kill "$p"; done
xdotool key --window "$main" Escape
sleep 0.3
xdotool key --window "$main" Escape
sleep 0.5
kill -0 $app 2>/dev/null || { echo "Escape ended the window"; exit 1; }
echo "window title: $(xdotool getwindowname "$main")"

# Dropouts: the sound cut to digital silence for less than 300 ms while it rang (the block
# before loud), after the first sound of a stretch and before its stop. A longer silence after
# the ring died away is the music's own: a pickup's empty beats at the loop's turn.
python3 - "$out/arrivals.txt" $first $second <<'PY'
import sys
rows = [tuple(map(float, l.split())) for l in open(sys.argv[1]) if l.strip()]
stretches = [(float(sys.argv[2]), float(sys.argv[3])), (float(sys.argv[4]), float(sys.argv[5]))]
total, heard = 0, 0.0
for start, stop in stretches:
    inside = [(t, p) for t, p in rows if start < t < stop - 0.05]
    sounding = [i for i, (t, p) in enumerate(inside) if p > 300]
    if not sounding:
        print("no sound between %.1f and %.1f" % (start, stop)); sys.exit(1)
    blocks = inside[sounding[0]:]
    heard += blocks[-1][0] - blocks[0][0]
    i = 0
    while i < len(blocks):
        if blocks[i][1] == 0:
            j = i
            while j < len(blocks) and blocks[j][1] == 0:
                j += 1
            length = (blocks[j][0] if j < len(blocks) else blocks[-1][0]) - blocks[i][0]
            if i > 0 and blocks[i - 1][1] > 100 and length < 0.3 and j < len(blocks):
                total += 1
                print("  dropout of %.0f ms at %.2f s into a stretch" % (length * 1000, blocks[i][0] - start))
            i = j
        else:
            i += 1
print("dropouts: %d in %.0f s of playing beside two busy loops" % (total, heard))
PY
xdotool mousemove --window "$main" 470 365 click 1 # 終了
for _ in $(seq 25); do kill -0 $app 2>/dev/null || break; sleep 0.2; done
echo "screenshots in $out"

#!/usr/bin/env bash
# Plays a song in a real X window with PulseAudio's null sink as the sound device: presses the
# space bar, tells how long the first sound took to reach the sink, takes screenshots of the
# mark moving, turns on the loop and a slower tempo from the context menu, stops, checks that
# Escape and Enter leave the window open, and ends it with 終了. Screenshots in build/xvfb-playback/. Needs the plain build (./run.sh makes it).
set -euo pipefail
cd "$(dirname "$0")/.."

. scripts/xvfb-common.sh
install_missing xvfb xdotool imagemagick x11-utils openbox pulseaudio pulseaudio-utils python3

song=${1:-build/samples/Archive/twinkle.mwd} # starts on its first beat
out=build/xvfb-playback
mkdir -p "$out"
out=$(cd "$out" && pwd)
export DISPLAY=:96
export XDG_RUNTIME_DIR=$out/runtime
export XDG_CONFIG_HOME=$out/config
export HOME=$out/home
rm -rf "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$HOME"
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$HOME"

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
echo "sound device: PulseAudio $(pactl info | sed -n 's/^Server Version: //p'), sink $(pactl get-default-sink)"

# Every buffer reaching the sink, with the time it arrived; the first loud one is the first sound.
record_sink "$out/arrivals.txt"; pids+=($!)
sleep 0.5

first_sound_after() { # monotonic time
  for _ in $(seq 100); do
    t=$(awk -v from="$1" '$1 > from && $2 > 300 { print $1; exit }' "$out/arrivals.txt")
    [ -n "$t" ] && { python3 -c "print(round(($t - $1) * 1000))"; return; }
    sleep 0.05
  done
  echo "none"
}
now() { python3 -c 'import time; print("%.4f" % time.monotonic())'; }

./build/dovrelplinvara "$PWD/$song" 2>"$out/program.log" & app=$!; pids+=($app)
main=$(wait_window 'ハープ用図形楽譜')
sleep 1
xdotool windowactivate --sync "$main"

for run in 1 2 3; do
  pressed=$(now)
  xdotool key --window "$main" space
  echo "press $run: first sound at the sink after $(first_sound_after "$pressed") ms"
  sleep 1.2
  import -window "$main" "$out/playing-$run.png"
  sleep 0.8
  import -window "$main" "$out/playing-$run-later.png"
  xdotool key --window "$main" space
  sleep 1
done

# The context menu: ループ on, then テンポ 50 %, while playing.
xdotool key --window "$main" space
sleep 0.5
# A key that reaches the window instead of a menu not yet open would step the ring or a measure
# box, so each menu is given time to open.
xdotool mousemove --window "$main" 200 200 click 3
sleep 1
import -window root "$out/menu.png"
xdotool key Down Down Down Return # 再生/停止, テンポ, ループ
sleep 0.5
xdotool mousemove --window "$main" 200 200 click 3
sleep 1
xdotool key Down Down Right
sleep 1
import -window root "$out/tempo-menu.png"
xdotool key Return # 50 % is the first of the common speeds
sleep 2
import -window "$main" "$out/slow-loop.png"
xdotool key --window "$main" space
sleep 0.5
import -window "$main" "$out/stopped.png"
xdotool key --window "$main" Escape Return # neither ends the window
sleep 0.5
kill -0 $app 2>/dev/null || { echo "a key ended the window"; exit 1; }
xdotool mousemove --window "$main" 470 365 click 1 # 終了
for _ in $(seq 25); do kill -0 $app 2>/dev/null || break; sleep 0.2; done
kill -0 $app 2>/dev/null && { echo "the window did not end"; exit 1; }
status=0; wait $app || status=$?
echo "the window ended with status $status; screenshots in $out"

#!/usr/bin/env bash
# Uses the program once in a real X window, as a user would: starts it on a virtual screen,
# reads the window titles and places, opens the settings with a click and ends them with Enter,
# checks that Escape and Enter leave the main window open, opens the practice panel with P, ends
# the window with 終了, and keeps screenshots in build/xvfb/. Needs the plain build (./run.sh makes it).
set -euo pipefail
cd "$(dirname "$0")/.."

. scripts/xvfb-common.sh
install_missing xvfb xdotool imagemagick x11-utils openbox

out=build/xvfb
mkdir -p "$out"
export DISPLAY=:97
Xvfb "$DISPLAY" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
openbox >/dev/null 2>&1 & # a window manager, so titles and placement are real
wm=$!
wait_window_manager
export XDG_CONFIG_HOME=$PWD/$out/config
rm -rf "$XDG_CONFIG_HOME"
(cd build/samples && exec ../dovrelplinvara "$@") &
app=$!
trap 'kill $app $wm $xvfb 2>/dev/null || true' EXIT


main=$(wait_window 'ハープ用図形楽譜')
sleep 0.5
echo "main window: title '$(xdotool getwindowname "$main")', $(xwininfo -id "$main" | grep -E 'Absolute upper-left' | tr -s ' ' | tr '\n' ' ')"
import -window root "$out/main.png"

# The settings button: column 436 of the client area, top 250.
xdotool mousemove --window "$main" 470 265 click 1
dlg=$(wait_window '設定')
sleep 0.5
echo "settings dialog: title '$(xdotool getwindowname "$dlg")'"
import -window root "$out/settings.png"
xdotool windowactivate --sync "$dlg" key Return
sleep 0.5
xdotool search --onlyvisible --name "^設定$" >/dev/null 2>&1 && { echo "Enter did not close the settings dialog"; exit 1; }
echo "Enter closed the settings dialog"
# The settings reach the window at once: no notice follows, only the main window stays.
sleep 1
other=$(xdotool search --onlyvisible --name '^ハープ用図形楽譜$' | grep -vx "$main" | head -n1 || true)
[ -n "$other" ] && { echo "a message box followed the settings dialog: '$(xdotool getwindowname "$other")'"; exit 1; }
echo "no restart notice after the settings"
import -window root "$out/after-settings.png"
# No stray key ends the window: Escape twice (once closing a context menu) and Enter.
xdotool mousemove --window "$main" 200 200 click 3
sleep 1
import -window root "$out/menu.png"
xdotool key Escape
sleep 0.5
xdotool windowactivate --sync "$main" key Escape Return
sleep 1
kill -0 $app 2>/dev/null || { echo "a key ended the main window"; exit 1; }
xdotool search --onlyvisible --name '^ハープ用図形楽譜$' | grep -qx "$main" || { echo "the main window is gone"; exit 1; }
echo "Escape twice and Enter left the main window open"
# P opens the practice panel beside the window.
xdotool windowactivate --sync "$main" key p
panel=$(wait_window '練習パネル')
sleep 0.5
echo "practice panel: $(xwininfo -id "$panel" | grep -E 'Absolute upper-left|Width|Height' | tr -s ' ' | tr '\n' ' ')"
import -window "$panel" "$out/panel.png"
import -window root "$out/with-panel.png"
# 終了: column 436 of the client area, top 350.
xdotool mousemove --window "$main" 470 365 click 1
for _ in $(seq 25); do kill -0 $app 2>/dev/null || break; sleep 0.2; done
kill -0 $app 2>/dev/null && { echo "終了 did not end the main window"; exit 1; }
echo "終了 ended the main window; settings file: $(stat -c %s "$XDG_CONFIG_HOME/PV/setup.ini") bytes"

#!/usr/bin/env bash
# Renders every sample song and score with two builds of the renderer and compares what they
# make: --info and --notes text, PNG bytes, PDF pages as pictures (the files themselves carry
# their creation time) and SVG bytes. A structural change passes when nothing differs.
#   scripts/compare-renders.sh BEFORE-RENDERER AFTER-RENDERER [EXTRA-SONG...]
set -euo pipefail
cd "$(dirname "$0")/.."
before=$1 after=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$work/config

songs=(build/samples/Archive/*.mwd samples/scores/* "$@")
harps=("" "--strings 37 --lowest 55" "--tuning G --strings 15 --lowest 55" "--strings 12 --measures 2-3")
differences=0 compared=0

render() { # renderer, folder, harp, song
  local program=$1 out=$2 harp=$3 song=$4
  mkdir -p "$out"
  # shellcheck disable=SC2086
  { "$program" $harp --info --notes "$song" "$out/score.png" > "$out/facts.txt" 2> "$out/messages.txt" || echo "exit $?" >> "$out/facts.txt"
    "$program" $harp --zoom 0.5 "$song" "$out/half.png" 2>/dev/null || true
    "$program" $harp "$song" "$out/a3.pdf" 2>/dev/null || true
    "$program" $harp --paper A4 "$song" "$out/a4.pdf" 2>/dev/null || true
    "$program" $harp "$song" "$out/sheet.svg" 2>/dev/null || true; } || true
  for pdf in "$out"/*.pdf; do
    if [ -f "$pdf" ]; then pdftoppm -r 50 -png "$pdf" "${pdf%.pdf}-page"; rm "$pdf"; fi
  done
}

for song in "${songs[@]}"; do
  for harp in "${harps[@]}"; do
    name=$(basename "$song")-$(echo "$harp" | tr ' ' '_')
    render "$before" "$work/before/$name" "$harp" "$song"
    render "$after" "$work/after/$name" "$harp" "$song"
    compared=$((compared + 1))
    if ! diff -r "$work/before/$name" "$work/after/$name" > "$work/diff.txt"; then
      echo "DIFFERS: $song with '${harp}'"
      head -20 "$work/diff.txt"
      differences=$((differences + 1))
    fi
  done
done
echo "$compared renderings compared, $differences differ"
[ "$differences" -eq 0 ]

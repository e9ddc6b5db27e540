#!/usr/bin/env bash
# Renders every sample song and score with two builds of the renderer and compares what they
# make: --info and --notes text, PNG bytes, PDF pages as pictures (the files themselves carry
# their creation time) and SVG bytes; then the sheets at the harps' own scale, with words and
# chords, on A4, A3 and Letter. A structural change passes when nothing differs.
#   scripts/compare-renders.sh BEFORE-RENDERER AFTER-RENDERER [EXTRA-SONG...]
# COMPARE_FIT_ONLY=1 leaves the sheets at scale out.
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

# Renders with both programs into folders of one name and says whether they differ.
compare() { # renderer function, name, what it is, harp, song
  local how=$1 name=$2 what=$3 harp=$4 song=$5
  "$how" "$before" "$work/before/$name" "$harp" "$song"
  "$how" "$after" "$work/after/$name" "$harp" "$song"
  compared=$((compared + 1))
  if ! diff -r "$work/before/$name" "$work/after/$name" > "$work/diff.txt"; then
    echo "DIFFERS: $what"
    head -20 "$work/diff.txt"
    differences=$((differences + 1))
  fi
}

for song in "${songs[@]}"; do
  for harp in "${harps[@]}"; do
    compare render "$(basename "$song")-$(echo "$harp" | tr ' ' '_')" "$song with '${harp}'" "$harp" "$song"
  done
done
# The sheet at scale: every page of the PDF on each paper, and the whole sheet as SVG.
render_at_scale() { # renderer, folder, harp, song
  local program=$1 out=$2 harp=$3 song=$4
  mkdir -p "$out"
  for paper in A4 A3 Letter; do
    "$program" --harp "$harp" --lyrics on --chords on --info --paper "$paper" "$song" "$out/$paper.pdf" \
      > "$out/$paper.txt" 2>&1 || echo "exit $?" >> "$out/$paper.txt"
  done
  "$program" --harp "$harp" --lyrics on --chords on "$song" "$out/sheet.svg" 2>/dev/null || true
  for pdf in "$out"/*.pdf; do
    if [ -f "$pdf" ]; then pdftoppm -r 30 -png "$pdf" "${pdf%.pdf}-page"; rm "$pdf"; fi
  done
}

if [ -z "${COMPARE_FIT_ONLY:-}" ]; then
  for song in "${songs[@]}"; do
    for harp in 37 25 15G; do
      compare render_at_scale "$(basename "$song")-scale-$harp" "$song at scale on harp $harp" "$harp" "$song"
    done
  done
fi
echo "$compared renderings compared, $differences differ"
[ "$differences" -eq 0 ]

#!/usr/bin/env bash
# Runs each fuzzer for a bounded time on a seed corpus made by the project's song writer.
# Usage: run-fuzzers.sh BUILD_DIR SECONDS
set -euo pipefail
build=$1
seconds=$2
work=$build/fuzz-run
rm -rf "$work"
mkdir -p "$work/songs" "$work/settings" "$work/midi" "$work/abc"
"$build/fuzz/make_fuzz_seeds" "$work/songs" "$work/settings"
"$build/fuzz/make_midi_seeds" "$work/midi"
"$build/fuzz/make_abc_seeds" "$work/abc"

run() { # fuzzer, corpus, further libFuzzer options...
  local log=$work/$1.log
  if ! "$build/fuzz/$1" -max_total_time="$seconds" -max_len=100000 -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$work/$1-" "${@:3}" "$work/$2" > "$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzzer $1 found a problem"
    exit 1
  fi
  echo "$1: $(grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec' "$log" | tr -s ' ' | paste -sd' ')"
}
run fuzz_song_reader songs
run fuzz_settings_loader settings
run fuzz_midi_reader midi
run fuzz_abc_reader abc -dict="$(dirname "$0")/abc.dict"

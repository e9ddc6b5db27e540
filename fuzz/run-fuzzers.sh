#!/usr/bin/env bash
# Runs each fuzzer for a bounded time on a seed corpus made by the project's song writer.
# Usage: run-fuzzers.sh BUILD_DIR SECONDS
set -euo pipefail
build=$1
seconds=$2
work=$build/fuzz-run
rm -rf "$work"
mkdir -p "$work/songs" "$work/settings" "$work/scores" "$work/midi" "$work/abc"
"$build/fuzz/make_fuzz_seeds" "$work/songs" "$work/settings" "$work/scores"
"$build/fuzz/make_midi_seeds" "$work/midi"
"$build/fuzz/make_abc_seeds" "$work/abc"

run() { # fuzzer, corpus, extra options...
  local log=$work/$1.log
  local fuzzer=$1 corpus=$2
  shift 2
  if ! "$build/fuzz/$fuzzer" "$@" -max_total_time="$seconds" -max_len=100000 -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$work/$fuzzer-" "$work/$corpus" > "$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzzer $fuzzer found a problem"
    exit 1
  fi
  echo "$fuzzer: $(grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec' "$log" | tr -s ' ' | paste -sd' ')"
}
run fuzz_song_reader songs
run fuzz_settings_loader settings
run fuzz_midi_reader midi
run fuzz_abc_reader abc -dict="$(dirname "$0")/abc.dict"
run fuzz_musicxml_reader scores -dict="$(dirname "$0")/musicxml.dict"

#!/usr/bin/env bash
# Builds the benchmarks in release mode and prints each figure next to its floor.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DDP_BUILD_BENCH=ON -DDP_BUILD_TESTS=OFF \
  > build-bench.configure.log 2>&1 || { cat build-bench.configure.log; exit 1; }
cmake --build build-bench -j "$(nproc)" --target dovrel_bench
export QT_QPA_PLATFORM=offscreen
build-bench/bench/dovrel_bench --benchmark_format=json --benchmark_out=build-bench/bench.json \
  --benchmark_out_format=json > /dev/null
python3 bench/table.py build-bench/bench.json

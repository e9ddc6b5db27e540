#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program in the folder whose "Archive"
# holds the sample songs, so that the library lists them.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > build.configure.log 2>&1 || { cat build.configure.log; exit 1; }
cmake --build build -j "$(nproc)" --target dovrelplinvara dovrelplinvara-render samples
cd build/samples
exec ../dovrelplinvara "$@"

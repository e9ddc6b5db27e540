#!/usr/bin/env bash
# Makes docs/main-window.png, the README's picture of the main window with a sample loaded,
# on the offscreen platform (nothing needs a display).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target dovrelplinvara-screenshot samples
mkdir -p docs
export XDG_CONFIG_HOME=$(mktemp -d)
build/dovrelplinvara-screenshot build/samples/Archive/sakura.mwd docs/main-window.png
build/dovrelplinvara-screenshot build/samples docs/library.png library
build/dovrelplinvara-screenshot - docs/settings.png settings
rm -rf "$XDG_CONFIG_HOME"

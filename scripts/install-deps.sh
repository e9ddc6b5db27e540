#!/usr/bin/env bash
# Installs what the build, the tests and the program need, only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-svg-dev qt6-translations-l10n qt6-l10n-tools qt6-tools-dev
  fonts-ipafont-gothic
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-dev
  poppler-utils time
  libpugixml-dev libzip-dev
  libfluidsynth-dev timgm6mb-soundfont
  dpkg-dev desktop-file-utils appstream file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

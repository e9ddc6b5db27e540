#!/usr/bin/env bash
# Builds the Debian package in a configured build folder and tries it as a player's system
# would: unpacked into a fresh root, the renderer reads a sample from there; the desktop entry
# and the metainfo validated where the tools exist; installed and removed with dpkg in a
# throwaway root (its own admin folder, dependencies not asked for there).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

cmake --build "$build" --target package > "$build/package.log" 2>&1 || { cat "$build/package.log"; exit 1; }
deb=$(ls -t "$build"/dovrelplinvara_*.deb | head -n1)
echo "package: $deb, $(stat -c %s "$deb") bytes"
dpkg-deb -I "$deb" | grep -E '^ Depends:.*(timgm6mb-soundfont|fluid-soundfont-gm)' >/dev/null ||
  { echo "the package does not depend on a General MIDI soundfont"; exit 1; }

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root/unpacked"
u=$root/unpacked
for f in usr/bin/dovrelplinvara usr/bin/dovrelplinvara-render usr/share/man/man1/dovrelplinvara.1.gz \
         usr/share/man/man1/dovrelplinvara-render.1.gz usr/share/dovrelplinvara/Archive/twinkle.mwd; do
  [ -e "$u/$f" ] || { echo "the package lacks /$f"; exit 1; }
done
info=$(QT_QPA_PLATFORM=offscreen "$u/usr/bin/dovrelplinvara-render" --info "$u/usr/share/dovrelplinvara/Archive/twinkle.mwd")
grep -q '^measures=12$' <<<"$info" || { echo "the unpacked renderer gave no facts: $info"; exit 1; }
desktop=$(ls "$u"/usr/share/applications/*.desktop)
grep -q '^Exec=/usr/bin/dovrelplinvara' "$desktop" || { echo "the desktop entry does not start /usr/bin/dovrelplinvara"; exit 1; }
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop"; fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --pedantic --explain "$u"/usr/share/metainfo/*.metainfo.xml >"$root/appstream.log" 2>&1 ||
    appstreamcli validate --no-net "$u"/usr/share/metainfo/*.metainfo.xml
fi
if command -v man >/dev/null; then
  MANWIDTH=80 man -l "$u/usr/share/man/man1/dovrelplinvara-render.1.gz" 2>/dev/null | grep -q -- '--player' ||
    { echo "the renderer's manual page does not read or lacks --player"; exit 1; }
fi

# Installed and removed by dpkg itself, in a root of its own.
t=$root/target
mkdir -p "$t/var/lib/dpkg/info" "$t/var/lib/dpkg/updates" "$t/var/lib/dpkg/triggers"
: > "$t/var/lib/dpkg/status"
dpkg --root="$t" --force-depends --force-not-root --force-script-chrootless -i "$deb" > "$root/dpkg.log" 2>&1 ||
  { cat "$root/dpkg.log"; exit 1; }
[ -x "$t/usr/bin/dovrelplinvara-render" ] || { echo "dpkg -i left no renderer"; exit 1; }
dpkg --root="$t" --force-depends --force-not-root --force-script-chrootless -r dovrelplinvara >> "$root/dpkg.log" 2>&1 ||
  { cat "$root/dpkg.log"; exit 1; }
left=$(find "$t" -path "$t/var" -prune -o -type f -print | wc -l)
[ "$left" -eq 0 ] || { echo "dpkg -r left $left files"; find "$t" -path "$t/var" -prune -o -type f -print; exit 1; }
echo "package: unpacked, read a sample, validated, installed and removed cleanly"

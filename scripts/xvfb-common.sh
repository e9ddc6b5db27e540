# Shared by the scripts that use the program in Xvfb: sourced, not run.

# Installs the Debian packages named that are missing.
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    local SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# The id of the visible window with this title, waiting up to 10 s for it; the main window's
# title may name the tune before it ("tune — key — tempo — title").
wait_window() { # title
  for _ in $(seq 50); do
    id=$(xdotool search --onlyvisible --name "^(.* — )?$1\$" 2>/dev/null | head -n1) && [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.2
  done
  echo "no window titled $1" >&2; return 1
}

# Waits until the window manager has taken the screen: a window mapped before it would stay
# unmapped under it.
wait_window_manager() {
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return
    sleep 0.1
  done
  echo "no window manager came up" >&2; return 1
}

# Records every 10 ms block reaching the null sink "silent", with the time it arrived and its
# peak, into FILE; runs in the background ($! is its process).
record_sink() { # file
  python3 - "$1" <<'PY' &
import subprocess, sys, time, struct
rec = subprocess.Popen(["parec", "-d", "silent.monitor", "--raw", "--format=s16le", "--rate=44100",
                        "--channels=2", "--latency-msec=5"], stdout=subprocess.PIPE)
with open(sys.argv[1], "w", buffering=1) as log:
    while True:
        block = rec.stdout.read(441 * 4)
        if not block:
            break
        peak = max(abs(v) for v in struct.unpack("<%dh" % (len(block) // 2), block))
        log.write("%.4f %d\n" % (time.monotonic(), peak))
PY
}

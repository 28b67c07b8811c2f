#!/usr/bin/env bash
# Installs what Vantrel needs, builds it and starts it (its settings file is
# ~/.config/vantrel/S16c.ini, wherever it is started from). Without a display
# it says so, runs the program on a virtual display (Xvfb picks a free display
# number), saves a screenshot of the window to vantrel-screenshot.png and ends
# the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DVANTREL_BENCH=OFF >/dev/null
cmake --build "$root/build" -j"$(nproc)"
program="$root/build/bin/vantrel"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$program"
fi

shot="$root/vantrel-screenshot.png"
echo "No display is available: starting Vantrel on a virtual display (Xvfb)."
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi
exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null & echo "pid $!")
read -r _ xvfb_pid <&3
read -r num <&3 || true
export DISPLAY=":$num"
"$program" &
app=$!
for _ in $(seq 1 100); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"Vantrel  V2.0"'; then break; fi
  sleep 0.1
done
sleep 0.5
wid=$(xwininfo -root -tree | grep '"Vantrel  V2.0"' | awk '{print $1}' | head -1)
import -window "${wid:-root}" "$shot"
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
kill "$xvfb_pid" 2>/dev/null || true
echo "Screenshot of the window saved to $shot; the program has been ended."

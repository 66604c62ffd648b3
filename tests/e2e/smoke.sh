#!/usr/bin/env bash
# The real program on a real X server: it starts, shows the chart and the
# marker, a click places the marker, and closing the window ends it with 0.
set -euo pipefail
program="$1"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"

# The server picks a free display and names it once it takes connections.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
cleanup() { kill "$xvfb" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
for _ in $(seq 300); do [[ -s "$work/display" ]] && break; sleep 0.1; done
[[ -s "$work/display" ]] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

unset QT_QPA_PLATFORM
"$program" >"$work/out.log" 2>&1 &
app=$!
window=""
for _ in $(seq 100); do
    window="$(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -n1 || true)"
    [[ -n "$window" ]] && break
    sleep 0.1
done
[[ -n "$window" ]] || { echo "no window named Form1 appeared"; cat "$work/out.log"; exit 1; }

read -r width height < <(xwininfo -id "$window" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')
[[ "$width" == 640 && "$height" == 480 ]] || { echo "client area ${width}x${height}"; exit 1; }

fail() { echo "$1"; exit 1; }
# shellcheck source=window-pixels.sh
source "$here/window-pixels.sh"
await_pixel 140 251 f42e2e "no red marker at its start"

# A click on the chart puts the marker's centre there.
xdotool mousemove --window "$window" 400 300 click 1
await_pixel 400 300 f42e2e "the click did not place the marker"

python3 "$here/xclose.py" "$window"
status=0
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then echo "the program did not end"; kill "$app"; exit 1; fi
wait "$app" || status=$?
[[ "$status" == 0 ]] || { echo "exit code $status"; cat "$work/out.log"; exit 1; }
echo "ok"

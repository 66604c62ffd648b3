#!/usr/bin/env bash
# The program served without a screen (tools/serve-headless.sh): by default
# its VNC server listens on loopback only; serving the network takes a
# password and refuses a bad one; nothing is left running once the window is
# closed.
set -euo pipefail
program="$1"
here="$(cd "$(dirname "$0")" && pwd)"
serve="$here/../../tools/serve-headless.sh"
work="$(mktemp -d)"
server=""
# A failed check ends the served program, and so its server, too.
trap '[[ -n "$server" ]] && kill "$server" 2>/dev/null; wait; rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

fail() { echo "$1"; cat "$work/out.log" 2>/dev/null; exit 1; }

# Serves the program, checks what its server offers, closes the window.
serve_and_close() { # PORT EXPECTED-LISTEN EXPECTED-TYPES
    local port="$1" display window status=0
    # Made here: the server's shell may not have opened it when it is first read.
    : >"$work/out.log"
    TIDEMARK_VNC_PORT="$port" "$serve" "$program" >"$work/out.log" 2>&1 &
    server=$!
    display=""
    for _ in $(seq 100); do
        display="$(sed -n 's/.*(display \(:[0-9]*\)).*/\1/p' "$work/out.log")"
        [[ -n "$display" ]] && break
        sleep 0.1
    done
    [[ -n "$display" ]] || fail "the server did not start"
    window=""
    for _ in $(seq 150); do
        window="$(DISPLAY="$display" xdotool search --onlyvisible --name '^Form1$' 2>/dev/null |
                  head -n1 || true)"
        [[ -n "$window" ]] && break
        sleep 0.1
    done
    [[ -n "$window" ]] || fail "no window named Form1 on $display"
    offer="$(python3 "$here/vnc-listeners.py" "$port")"
    [[ "$offer" == "$(printf 'listen %s\ntypes %s' "$2" "$3")" ]] ||
        fail "port $port offers: $offer"
    DISPLAY="$display" python3 "$here/xclose.py" "$window"
    wait "$server" || status=$?
    server=""
    [[ "$status" == 0 ]] || fail "exit code $status"
    if pgrep -f "Xtigervnc $display " >/dev/null || [[ -e "/tmp/.X11-unix/X${display#:}" ]] ||
        [[ -e "/tmp/.X${display#:}-lock" ]]; then
        fail "the server of $display is still there"
    fi
    grep -q '^    ' "$work/out.log" && password_shown=1 || password_shown=0
}

port=$((5950 + RANDOM % 40))
serve_and_close "$port" "127.0.0.1 ::1" "1"
grep -q "ssh -L 5900:localhost:$port" "$work/out.log" || fail "no word on reaching it safely"

# Serving the network is asked for, and never without a password.
for bad in "" "short" "far-too-long"; do
    status=0
    TIDEMARK_VNC_NETWORK=1 TIDEMARK_VNC_PASSWORD="$bad" TIDEMARK_VNC_PORT="$port" \
        "$serve" "$program" >"$work/out.log" 2>&1 || status=$?
    [[ "$status" == 2 ]] || fail "a password of '$bad' was taken ($status)"
    grep -q Refusing "$work/out.log" || fail "no reason given for '$bad'"
done

export TIDEMARK_VNC_NETWORK=1
serve_and_close "$port" "0.0.0.0 ::" "2"
[[ "$password_shown" == 1 ]] || fail "the made-up password was not shown"
export TIDEMARK_VNC_PASSWORD=tide1234
serve_and_close "$port" "0.0.0.0 ::" "2"
grep -q tide1234 "$work/out.log" && fail "a password given was printed"
echo "ok"

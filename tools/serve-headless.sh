#!/usr/bin/env bash
# Shows a program on a VNC server of its own, for machines without a screen,
# and takes the server down when the program ends.
#   tools/serve-headless.sh PROGRAM [ARGUMENT...]
# By default the server answers only on this machine (loopback). From another
# machine, reach it through an SSH tunnel. Serving on every network interface
# is an explicit choice and always asks for a password:
#   TIDEMARK_VNC_PORT=5900       the VNC port
#   TIDEMARK_VNC_NETWORK=1       serve on every interface, with VNC authentication
#   TIDEMARK_VNC_PASSWORD=...    its password, 6 to 8 characters (VNC reads no
#                                more); made up and printed once when not set
# Needs Xtigervnc, tigervncpasswd and openbox (tools/install-deps.sh).
set -euo pipefail
(($#)) || { echo "usage: $0 PROGRAM [ARGUMENT...]" >&2; exit 2; }

port="${TIDEMARK_VNC_PORT:-5900}"
network="${TIDEMARK_VNC_NETWORK:-0}"
host="$(hostname 2>/dev/null || echo this-machine)"

if [[ "$network" == 1 ]]; then
    if [[ -v TIDEMARK_VNC_PASSWORD ]]; then
        password="$TIDEMARK_VNC_PASSWORD"
        if ((${#password} < 6 || ${#password} > 8)); then
            echo "Refusing to serve on the network: TIDEMARK_VNC_PASSWORD must have 6 to 8" \
                 "characters (VNC authentication reads no more than 8)." >&2
            exit 2
        fi
    else
        # (tr ends on a broken pipe once head has its 8 characters.)
        password="$(LC_ALL=C tr -dc 'A-Za-z0-9' </dev/urandom | head -c 8 || true)"
    fi
fi

# The first display nobody uses.
display=""
for n in $(seq 20 99); do
    if [[ ! -e "/tmp/.X11-unix/X$n" && ! -e "/tmp/.X$n-lock" ]]; then
        display=":$n"
        break
    fi
done
[[ -n "$display" ]] || { echo "no free X display between :20 and :99" >&2; exit 1; }

work="$(mktemp -d)"
server=()
if [[ "$network" == 1 ]]; then
    printf '%s\n' "$password" | tigervncpasswd -f >"$work/passwd"
    chmod 600 "$work/passwd"
    server=(-SecurityTypes VncAuth -PasswordFile "$work/passwd")
else
    server=(-localhost=1 -SecurityTypes None)
fi

vnc="" wm="" app=""
cleanup() {
    set +e  # whatever has ended already, the rest still goes
    [[ -n "$app" ]] && kill "$app" 2>/dev/null && wait "$app" 2>/dev/null
    [[ -n "$wm" ]] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
    [[ -n "$vnc" ]] && kill "$vnc" 2>/dev/null && wait "$vnc" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The X display itself is reachable only through its socket on this machine.
Xtigervnc "$display" -rfbport "$port" -geometry 1024x768 -depth 24 -nolisten tcp \
    -AlwaysShared=1 -desktop Tidemark "${server[@]}" >"$work/vnc.log" 2>&1 &
vnc=$!
for _ in $(seq 100); do
    [[ -e "/tmp/.X11-unix/X${display#:}" ]] && break
    kill -0 "$vnc" 2>/dev/null || { cat "$work/vnc.log" >&2; exit 1; }
    sleep 0.1
done
export DISPLAY="$display"
# A window manager, for the window's frame and close box. A window mapped
# while it is still starting stays unmanaged, and unseen: wait until it says
# it is there.
openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

echo "No display found: the program is shown on a VNC server of its own (display $display)."
if [[ "$network" == 1 ]]; then
    if [[ -v TIDEMARK_VNC_PASSWORD ]]; then
        echo "  It serves every network interface, on port $port, with the password given."
    else
        echo "  It serves every network interface, on port $port, with this password (shown once):"
        echo "    $password"
    fi
    echo "  Connect: vncviewer $host:$port"
else
    echo "  Only this machine can reach it: vncviewer localhost:$port"
    echo "  From another machine, through SSH: ssh -L 5900:localhost:$port $host"
    echo "  then there: vncviewer localhost:5900"
    echo "  (TIDEMARK_VNC_NETWORK=1 serves the network instead, with a password.)"
fi
echo "  Close the window, or press Ctrl+C here, to stop it."

# In the background, so that a signal to this script ends it all at once.
QT_QPA_PLATFORM=xcb "$@" &
app=$!
status=0
wait "$app" || status=$?
app=""
exit "$status"

#!/usr/bin/env bash
# Installs what is missing, builds Tidemark and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset program -j"$(nproc)"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    # No screen here: show the window on a VNC server of Qt's own instead.
    port="${TIDEMARK_VNC_PORT:-5900}"
    export QT_QPA_PLATFORM="vnc:size=1024x768:port=${port}"
    echo "No display found. Tidemark is served over VNC on port ${port}:"
    echo "  connect a VNC viewer to $(hostname -I 2>/dev/null | awk '{print $1}' || echo localhost):${port}"
    # Qt's VNC platform draws no window frame, so there is no close box to end it with.
    echo "  (from this machine: vncviewer localhost:${port}; no password, so only on a trusted network)"
    echo "  Press Ctrl+C here to stop it."
fi
exec build/src/tidemark

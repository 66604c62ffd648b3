#!/usr/bin/env bash
# Installs what is missing, builds Tidemark and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset program -j"$(nproc)"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    # No screen here: a VNC server of its own, reachable from this machine only.
    exec tools/serve-headless.sh build/src/tidemark
fi
exec build/src/tidemark

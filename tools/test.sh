#!/usr/bin/env bash
# Installs what is missing, builds Tidemark with its tests and runs the whole suite.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh --test
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure

#!/usr/bin/env bash
# Installs what is missing, builds Tidemark with its tests and runs the whole
# suite twice: as built for use (build/), then built with AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan/, clang), where the fuzz targets also
# run for a minute each over their seed corpus.
#   tools/test.sh             both
#   tools/test.sh plain       only the first
#   tools/test.sh sanitized   only the second
set -euo pipefail
cd "$(dirname "$0")/.."
which="${1:-both}"

tools/install-deps.sh --test
if [[ "$which" != sanitized ]]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j"$(nproc)"
    (cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure)
fi
if [[ "$which" != plain ]]; then
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DTIDEMARK_SANITIZE=ON -DTIDEMARK_FUZZ=ON >/dev/null
    cmake --build build-asan -j"$(nproc)"
    (cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure)
fi

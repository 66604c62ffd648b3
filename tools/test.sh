#!/usr/bin/env bash
# Installs what is missing, builds Tidemark with its tests and runs the whole
# suite twice: as built for use (build/, CMake preset "default"), then built
# with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/, preset
# "asan", clang), where the fuzz targets also run for a minute each over
# their seed corpus.
#   tools/test.sh             both
#   tools/test.sh plain       only the first
#   tools/test.sh sanitized   only the second
set -euo pipefail
cd "$(dirname "$0")/.."
which="${1:-both}"

tools/install-deps.sh --test
if [[ "$which" != sanitized ]]; then
    cmake --preset default >/dev/null
    cmake --build --preset default -j"$(nproc)"
    ctest --preset default
fi
if [[ "$which" != plain ]]; then
    cmake --preset asan >/dev/null
    cmake --build --preset asan -j"$(nproc)"
    ctest --preset asan
fi

#!/usr/bin/env bash
# Installs what is missing, builds Tidemark and prints the performance table:
# start to first frame, paints, memory, large pictures and the timer, each
# beside its reference measured in the same run.
#   tools/bench.sh [--runs N] [--timer] [--only startup,paint,memory,large,timer] [--cache DIR]
# The large pictures (4.3 GB) are written once and kept in build/bench/bench-cache.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
# The reference of the large pictures: the large-image library's thumbnail
# tool, for the benchmark only.
tools/install-deps.sh --packages libvips-tools
cmake --preset default >/dev/null
cmake --build --preset bench -j"$(nproc)"
# Everything, the minute of timer steps included, unless told what to run.
(($#)) || set -- --timer
exec build/bench/tidemark_bench "$@"

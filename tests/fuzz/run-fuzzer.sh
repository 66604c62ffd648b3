#!/usr/bin/env bash
# Runs one fuzz target for a bounded time over its seed corpus.
#   run-fuzzer.sh [--fresh] TARGET SECONDS WORKDIR SEEDDIR... [-- LIBFUZZER-FLAGS...]
# New inputs go to WORKDIR/corpus, anything found to WORKDIR/artifacts; the
# seed directories are only read. --fresh forgets what earlier runs added,
# so that the run starts from the seeds alone. Fails when the target finds
# a fault.
set -euo pipefail
fresh=0
if [[ "${1:-}" == --fresh ]]; then
    fresh=1
    shift
fi
target="$1" seconds="$2" work="$3"
shift 3
if ((fresh)); then rm -rf "$work"; fi
seeds=()
while (($#)) && [[ "$1" != "--" ]]; do
    seeds+=("$1")
    shift
done
(($#)) && shift
mkdir -p "$work/corpus" "$work/artifacts"
# In-process: one process on one core, as with -jobs=1 -workers=1, but
# its report comes here rather than into a log file of its own.
exec "$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "$@" "$work/corpus" "${seeds[@]}"

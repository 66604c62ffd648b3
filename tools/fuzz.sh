#!/usr/bin/env bash
# Runs the fuzz targets, one after the other, each for a while (600 seconds
# unless told otherwise), at the lowest priority: the machine is shared.
#   tools/fuzz.sh [SECONDS] [fuzz_picture|fuzz_spinbox|fuzz_dial ...]
# Builds build-asan/ first. What the fuzzers learn is kept between runs in
# build-asan/fuzz/TARGET/corpus, anything they find in .../artifacts; the
# checked-in seeds under tests/fuzz/corpus are only read. The figures of
# each run (executions, time, corpus) are at the end of its report, which
# also goes to build-asan/fuzz/TARGET/last-run.log.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=600
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then
    seconds="$1"
    shift
fi
targets=("$@")
((${#targets[@]})) || targets=(fuzz_picture fuzz_spinbox fuzz_dial)

tools/install-deps.sh --test
cmake --preset asan >/dev/null
nice -n 19 cmake --build --preset fuzzers -j2 --target "${targets[@]}"

seeds() {
    case "$1" in
        fuzz_picture) echo tests/fuzz/corpus/picture tests/data/hostile ;;
        fuzz_spinbox) echo tests/fuzz/corpus/spinbox ;;
        fuzz_dial) echo tests/fuzz/corpus/dial ;;
    esac
}
status=0
for target in "${targets[@]}"; do
    work="build-asan/fuzz/$target"
    mkdir -p "$work"
    echo "== $target for ${seconds} s"
    # shellcheck disable=SC2046
    if nice -n 19 env ASAN_OPTIONS=detect_leaks=1:halt_on_error=1 \
        UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0" \
        tests/fuzz/run-fuzzer.sh "build-asan/tests/fuzz/$target" "$seconds" "$work" \
        $(seeds "$target") >"$work/last-run.log" 2>&1; then
        echo "no fault found"
    else
        echo "FAULT FOUND: the report is in $work/last-run.log, the input in $work/artifacts"
        status=1
    fi
    grep -E '^(stat::|Done |INFO: seed corpus|#[0-9]+[[:space:]]+(INITED|DONE))' "$work/last-run.log" || true
done
exit "$status"

#!/bin/sh
# CTest's emulator for a Windows build (CMAKE_CROSSCOMPILING_EMULATOR): runs a
# test program under Wine. Qt Test's log on standard output doesn't reach a
# pipe from there, so the program writes it to a file, shown afterwards; the
# program's exit code is the test's.
#   run-test.sh PROGRAM.exe [ARGUMENT...]
program="$1"
shift
log="$(mktemp --suffix=.txt)"
/usr/lib/wine/wine64 "$program" -o "Z:$(printf %s "$log" | tr / '\\'),txt" "$@"
status=$?
cat "$log"
rm -f "$log"
exit "$status"

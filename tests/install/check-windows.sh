#!/usr/bin/env bash
# Checks, without building for Windows, what the Windows executable is made
# of: the icon's sizes, and the resources that the Windows branch of the
# build generates when configured for Windows. Where a MinGW resource
# compiler is installed, the resources are compiled and read back too.
# (tools/windows.sh builds the real thing and tools/windows-e2e.sh runs it.)
#   check-windows.sh SOURCE_DIR VERSION
set -euo pipefail
source_dir="$1"
version="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*"; exit 1; }

IFS=. read -r major minor patch tweak <<<"$version"
commas="$major,${minor:-0},${patch:-0},${tweak:-0}"

# Explorer and the taskbar pick the icon size they need from these five.
if command -v identify >/dev/null; then
    sizes="$(identify -format '%wx%h ' "$source_dir/packaging/windows/tidemark.ico")"
    [[ "$sizes" == "16x16 24x24 32x32 48x48 256x256 " ]] || fail "tidemark.ico holds $sizes"
else
    echo "SKIPPED: identify missing (Debian package imagemagick), icon sizes not checked"
fi

cmake="${CMAKE:-cmake}"
"$cmake" -S "$source_dir/tests/install/windows-probe" -B "$work/build" \
    -DCMAKE_SYSTEM_NAME=Windows -DTIDEMARK_VERSION="$version" -DTIDEMARK_SOURCE_DIR="$source_dir" \
    >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; fail "configuring for Windows"; }

rc="$work/build/tidemark_windows/tidemark.rc"
manifest="$work/build/tidemark_windows/tidemark.manifest"
for line in "MAINICON ICON \"$source_dir/packaging/windows/tidemark.ico\"" \
            "FILEVERSION $commas" "PRODUCTVERSION $commas" "FILETYPE VFT_APP" \
            "VALUE \"FileVersion\", \"$version\"" "VALUE \"ProductVersion\", \"$version\"" \
            'VALUE "FileDescription", "Tidemark"' 'VALUE "ProductName", "Tidemark"' \
            "RT_MANIFEST \"$manifest\""; do
    grep -qF "$line" "$rc" || fail "tidemark.rc lacks: $line"
done

if command -v xmllint >/dev/null; then
    xmllint --noout "$manifest" || fail "the manifest is not well-formed XML"
else
    echo "SKIPPED: xmllint missing (Debian package libxml2-utils), manifest not parsed"
fi
grep -qF '>PerMonitorV2, PerMonitor</dpiAwareness>' "$manifest" || fail "no per-monitor v2 awareness"
grep -qF '>true/pm</dpiAware>' "$manifest" || fail "no per-monitor fallback for older Windows"
grep -qF "version=\"$major.${minor:-0}.${patch:-0}.${tweak:-0}\"" "$manifest" ||
    fail "the manifest's assembly version is not $version"

windres=""
for candidate in i686-w64-mingw32-windres x86_64-w64-mingw32-windres; do
    command -v "$candidate" >/dev/null && { windres="$candidate"; break; }
done
if [[ -z "$windres" ]]; then
    echo "SKIPPED: no MinGW windres, the resources were not compiled"
else
    "$windres" -DTIDEMARK_RC_MANIFEST -i "$rc" -O res -o "$work/tidemark.res" ||
        fail "$windres could not compile tidemark.rc"
    "$windres" -i "$work/tidemark.res" -O rc -o "$work/readback.rc"
    [[ "$(grep -c '/\* RT_ICON \*/' "$work/readback.rc")" == 5 ]] || fail "not five icon images"
    grep -qF '"MAINICON" 14 /* RT_GROUP_ICON */' "$work/readback.rc" || fail "no icon group MAINICON"
    grep -qF "FILEVERSION ${commas//,/, }" "$work/readback.rc" || fail "compiled version record"
    grep -qF '1 24 /* RT_MANIFEST */' "$work/readback.rc" || fail "no manifest resource 1"
fi
echo "ok"

#!/usr/bin/env bash
# The Windows package, end to end under Wine: tidemark.exe from the package
# folder (nothing else on Wine's path) in Xvfb with a small window manager,
# driven with real input and checked from screenshots. For each Windows
# version Wine reports (7, 8.1, 10): the window "Form1" with the chart and the
# marker, and the look's colours; under 10 also a click placing the marker,
# the switch starting the voyage, a bad file opened through the system's file
# dialog (the "Error" box, the chart stays), and the switch stopping it.
# Closing the window must end the program with 0 each time.
#   tools/windows-e2e.sh [PACKAGE-FOLDER]   (default: the one tools/windows.sh made)
# Screenshots go to build-windows/e2e/ (TIDEMARK_E2E_SHOTS elsewhere).
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
folder="${1:-$(ls -d "$repo"/build-windows/tidemark-*-win64 2>/dev/null | head -n1)}"
[[ -n "$folder" && -f "$folder/tidemark.exe" ]] ||
    { echo "no package folder with tidemark.exe: run tools/windows.sh first" >&2; exit 2; }
folder="$(cd "$folder" && pwd)"
shots="${TIDEMARK_E2E_SHOTS:-$repo/build-windows/e2e}"
mkdir -p "$shots"
rm -f "$shots"/*.png

packages=(wine wine64 fonts-wine xvfb xdotool x11-utils imagemagick openbox python3)
"$repo/tools/install-deps.sh" --packages "${packages[@]}"

work="$(mktemp -d)"
wine=/usr/lib/wine/wine64
export WINEPREFIX="${TIDEMARK_WINDOWS_CACHE:-$HOME/.cache/tidemark/windows}/wine-e2e"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The package must bring everything itself.
unset WINEPATH QT_PLUGIN_PATH QT_QPA_PLATFORM QT_QPA_FONTDIR QT_SCALE_FACTOR
# A windowed program's messages go to the debugger, which nobody reads here:
# Qt is asked to write them to standard error (Wine hands a WINEQT_ variable
# to the program as QT_).
export WINEQT_FORCE_STDERR_LOGGING=1

# The server picks a free display and names it once it takes connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
app=""
cleanup() {
    [[ -n "$app" ]] && kill "$app" 2>/dev/null
    wineserver -k 2>/dev/null || true
    [[ -n "${openbox:-}" ]] && kill "$openbox" 2>/dev/null
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 300); do [[ -s "$work/display" ]] && break; sleep 0.1; done
[[ -s "$work/display" ]] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
openbox=$!

if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "== a Wine prefix in $WINEPREFIX"
    "$wine" wineboot --init >"$work/wineboot.log" 2>&1
    wineserver -w
fi

fail() {
    echo "FAIL ($version): $*"
    # What the window showed, while there is one (import waits for a click
    # when the window is gone).
    if [[ -n "${window:-}" ]] && xwininfo -id "$window" >/dev/null 2>&1; then
        timeout 10 import -window "$window" "$shots/failure-$version.png" || true
    fi
    exit 1
}
shoot() { import -window "$window" "$shots/$1.png"; }
# shellcheck source=../tests/e2e/window-pixels.sh
source "$repo/tests/e2e/window-pixels.sh"
await_window() { # the id of a visible window with this exact name
    local found=""
    for _ in $(seq 150); do
        found="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)"
        [[ -n "$found" ]] && { echo "$found"; return 0; }
        sleep 0.2
    done
    return 1
}
await_other_window() { # the id of another visible window of the program: Wine's
    # file dialog has no name
    local found=""
    for _ in $(seq 150); do
        found="$(xdotool search --onlyvisible --class '^tidemark\.exe$' 2>/dev/null | grep -vx "$1" | head -n1 || true)"
        [[ -n "$found" ]] && { echo "$found"; return 0; }
        sleep 0.2
    done
    return 1
}
# The chart's pixels in a band across the middle of the window, away from the
# marker's start and from where the clicks put it (with no other window over
# it: a grab shows what lies on top).
chart_band() {
    import -window "$window" "$work/shot.png"
    convert "$work/shot.png" -crop 600x20+20+200 -depth 8 rgb:- | sha256sum | cut -c1-16
}

start() {
    "$wine" reg add 'HKCU\Software\Wine' /v Version /d "$1" /f >/dev/null 2>&1
    (cd "$work" && exec "$wine" "$folder/tidemark.exe") >"$work/out-$1.log" 2>&1 &
    app=$!
    window="$(await_window Form1)" || fail "no window named Form1 appeared"
    read -r width height < <(xwininfo -id "$window" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')
    [[ "$width" == 640 && "$height" == 480 ]] || fail "client area ${width}x${height}"
    await_pixel 140 251 f42e2e "no red marker at its start"
    # The chart: many colours where it lies, not one.
    import -window "$window" "$work/shot.png"
    colours="$(convert "$work/shot.png" -crop 600x200+20+150 +repage -format %k info:)"
    ((colours > 200)) || fail "no chart below the strip ($colours colours)"
}

finish() {
    python3 "$repo/tests/e2e/xclose.py" "$window"
    local status=0
    for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$app" 2>/dev/null && fail "the program did not end when its window was closed"
    wait "$app" || status=$?
    app=""
    [[ "$status" == 0 ]] || fail "exit code $status: $(cat "$work/out-$version.log")"
    wineserver -w
    cp "$work/out-$version.log" "$shots/output-$version.log"
    window=""
    # Wine can't give a process per-monitor-v2 scaling (error 87) nor scale a
    # window's frame (not implemented), and some of the file icons its shell
    # hands over around the file dialog aren't icons Qt can read: Qt says so,
    # and nothing else may be said.
    local unexpected
    unexpected="$(grep -vE '^qt\.qpa\.windows: SetProcessDpiAwarenessContext\(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2\) failed: COM error 0x57 |^EnableNonClientDpiScaling\(\) failed for HWND 0x[0-9a-f]+ \(120\) |^QPixmap::fromWinHICON\(\), failed to GetIconInfo\(\) ' \
        "$work/out-$version.log" || true)"
    [[ -z "$unexpected" ]] || fail "the program printed: $unexpected"
}

# The look for each version Wine reports: window background, strip fill and
# strip outline.
declare -A background=([win7]=f4f4f4 [win81]=f0f0f0 [win10]=f0f0f0)
declare -A strip=([win7]=f4f4f4 [win81]=f0f0f0 [win10]=f0f0f0)
declare -A outline=([win7]=979797 [win81]=979797 [win10]=cccccc)

for version in win7 win81 win10; do
    echo "== Wine reporting $version"
    start "$version"
    await_pixel 300 30 "${strip[$version]}" "strip fill"
    await_pixel 300 0 "${outline[$version]}" "strip outline, top"
    await_pixel 300 56 "${outline[$version]}" "strip outline, bottom"
    await_pixel 320 138 "${background[$version]}" "window background above the chart"
    shoot "$version"

    if [[ "$version" == win10 ]]; then
        # A click on the chart puts the marker's centre there.
        xdotool mousemove --window "$window" 400 300 click 1
        await_pixel 400 300 f42e2e "the click did not place the marker"

        # The switch starts the voyage: heading 0 (up), 10 pixels a second.
        xdotool mousemove --window "$window" 600 28 click 1
        await_pixel 400 281 f42e2e "the marker did not step up"
        [[ "$(pixel 400 309)" != f42e2e ]] || fail "the marker did not leave its place"
        xdotool mousemove --window "$window" 600 28 click 1
        sleep 1.5
        stopped="$(chart_band)"
        import -window "$window" "$work/before.png"
        sleep 1.5
        import -window "$window" "$work/after.png"
        [[ "$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1 || true)" == 0 ]] ||
            fail "the marker still moves after the switch was turned off"

        # A file that is no picture, opened through the system's dialog.
        printf 'This is a note, not a chart.\n' >"$work/note.png"
        note="Z:${work//\//\\}\\note.png"
        xdotool mousemove --window "$window" 50 28 click 1
        dialog="$(await_other_window "$window")" || fail "no file dialog appeared"
        sleep 1
        import -window "$dialog" "$shots/file-dialog.png"
        xdotool windowactivate --sync "$dialog" 2>/dev/null || true
        xdotool type --delay 20 "$note"
        xdotool key Return
        error="$(await_window Error)" || fail "no box named Error appeared"
        import -window "$error" "$shots/error-box.png"
        xdotool windowactivate --sync "$error" 2>/dev/null || true
        xdotool key Return
        for _ in $(seq 50); do
            xdotool search --onlyvisible --name '^Error$' >/dev/null 2>&1 || break
            sleep 0.2
        done
        xdotool search --onlyvisible --name '^Error$' >/dev/null 2>&1 && fail "the Error box stayed"
        [[ "$(chart_band)" == "$stopped" ]] || fail "the chart changed after the error"
        shoot "win10-after-error"
    fi
    finish
    echo "ok: $version"
done
echo "screenshots in $shots"
echo "end to end under Wine: passed"

#!/usr/bin/env bash
# Proves the Debian package on a clean system: builds the program, makes the
# .deb, installs it with apt into a fresh minimal Debian 12 (debootstrap) that
# has nothing else, and drives the installed program there the way a user
# would, on an X server of this machine. apt pulls only what the package's
# Depends name (no Recommends), so a runtime dependency it forgets makes the
# program fail to start, or to show the chart or a picture, here.
#   tools/check-deb.sh
# Run as root on Debian 12; it downloads a Debian base system (about 100 MB)
# and the Qt runtime each time. Screenshots, logs and the report stay in
# /tmp/tidemark-deb-check.*; the Debian tree is removed.
#   TIDEMARK_DEBIAN_MIRROR=http://...   the mirror to install from (default:
#                                       the host's Debian mirror, else deb.debian.org)
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."

[[ $EUID == 0 ]] || { echo "run as root: it builds a Debian tree and mounts into it" >&2; exit 2; }
# The package's library versions come from this machine's libraries.
grep -qx 'VERSION_CODENAME=bookworm' /etc/os-release ||
    { echo "the package is built against this machine's libraries: run on Debian 12" >&2; exit 2; }

keep="$(mktemp -d /tmp/tidemark-deb-check.XXXXXX)"
chmod 755 "$keep"
work="" root="" xvfb="" app="" screen=""
stage_names=() stage_times=() passed=()

now() { echo "$EPOCHREALTIME"; }
since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }'; }
stage() { stage_name="$1"; stage_start="$(now)"; echo "== $1"; }
stage_done() { stage_names+=("$stage_name"); stage_times+=("$(since "$stage_start")"); }
pass() { passed+=("$1"); echo "   ok: $1"; }

# Mount points at or below the Debian tree, deepest first.
mounts_below() {
    [[ -n "$root" && "$root" == /?*/* ]] || return 0
    findmnt -rn -o TARGET | awk -v r="$root" '$0 == r || index($0, r "/") == 1' | sort -r
}

unmount_all() {
    local pass_ target
    for pass_ in 1 2 3; do
        [[ -z "$(mounts_below)" ]] && return 0
        while read -r target; do
            umount "$target" 2>/dev/null || ((pass_ < 3)) || umount --lazy "$target" || true
        done < <(mounts_below)
    done
}

# Whatever still runs with its root in the tree (the program, or anything an
# install step left behind) holds files open there.
kill_tree_processes() {
    local proc
    [[ -n "$root" ]] || return 0
    for proc in /proc/[0-9]*; do
        [[ "$(readlink "$proc/root" 2>/dev/null)" == "$root" ]] && kill -KILL "${proc#/proc/}" 2>/dev/null
    done
    return 0
}

cleanup() {
    local -
    set +e
    [[ -n "$app" ]] && kill -KILL "$app" 2>/dev/null && wait "$app" 2>/dev/null
    app=""
    kill_tree_processes
    [[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    xvfb=""
    screen=""
    unmount_all
    # rm -rf through a bind-mounted /dev or /tmp/.X11-unix would empty the
    # host's: nothing is removed while anything is still mounted below.
    if [[ -n "$(mounts_below)" ]]; then
        echo "WARNING: still mounted below $root, left in place:" >&2
        mounts_below >&2
    elif [[ -n "$work" ]]; then
        rm -rf --one-file-system "$work"
        work=""
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

report_passed() {
    local check
    echo "Checks passed before it stopped:"
    for check in "${passed[@]}"; do echo "  - $check"; done
}

fail() {
    echo "FAIL: $*" >&2
    [[ -n "$screen" ]] && import -window root "$keep/failure.png" 2>/dev/null &&
        echo "the screen as it was: $keep/failure.png" >&2
    report_passed >&2
    echo "logs: $keep" >&2
    exit 1
}

# Runs a command logged to a file of the kept folder; on failure shows its end.
logged() {
    local log="$keep/$1"
    shift
    "$@" >>"$log" 2>&1 || { tail -n 40 "$log" >&2; fail "$* (log: $log)"; }
}

# --- 1. What this machine needs, the build and the package -----------------
stage "host packages"
host_packages=(debootstrap debian-archive-keyring xvfb xdotool x11-utils imagemagick
               python3 file)
logged host-packages.log tools/install-deps.sh --packages "${host_packages[@]}"
logged host-packages.log tools/install-deps.sh
stage_done

stage "build"
logged build.log nice -n 10 cmake --preset default
logged build.log nice -n 10 cmake --build --preset default --target tidemark -j"$(nproc)"
stage_done

# cpack installs the tree before packing, and its install step builds every
# target of the tree first (the tests and the benchmark too), so this stage
# is long on a fresh tree.
stage "package"
# Mount tables and /proc/PID/root name the real path, without symbolic links.
work="$(cd "$(mktemp -d "${TMPDIR:-/tmp}/tidemark-chroot.XXXXXX")" && pwd -P)"
logged cpack.log nice -n 10 cpack --config build/CPackConfig.cmake -G DEB -B "$work/deb"
debs=("$work"/deb/tidemark_*.deb)
[[ ${#debs[@]} == 1 && -f "${debs[0]}" ]] || fail "cpack made: ${debs[*]}"
deb="${debs[0]}"
deb_name="$(basename "$deb")"
dpkg-deb -f "$deb" Depends Recommends >"$keep/control-fields.txt"
stage_done

# --- 2. A fresh minimal Debian 12 ------------------------------------------
# The first plain-http Debian mirror of this machine's apt sources for SUITE
# (one-line and deb822 files); a minimal system has no CA certificates for https.
host_mirror() {
    local suite="$1"
    {
        cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
            sed -e 's/#.*//' -e 's/\[[^]]*\]//' |
            awk -v s="$suite" '$1 == "deb" && $3 == s { print $2 }'
        cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
            awk -v s="$suite" 'BEGIN { RS = ""; FS = "\n" }
                { t = u = x = ""
                  for (i = 1; i <= NF; i++) {
                      if ($i ~ /^Types:/) t = $i " "
                      else if ($i ~ /^URIs:/) u = $i
                      else if ($i ~ /^Suites:/) x = $i " "
                  }
                  if (t ~ /[ \t]deb[ \t]/ && x ~ ("[ \t]" s "[ \t]")) {
                      sub(/^URIs:[ \t]*/, "", u); split(u, a, /[ \t]+/); print a[1]
                  } }'
    } | grep -m1 '^http://' || true
}

stage "debootstrap"
root="$work/root"
mirrors=()
[[ -n "${TIDEMARK_DEBIAN_MIRROR:-}" ]] && mirrors+=("$TIDEMARK_DEBIAN_MIRROR")
host_main="$(host_mirror bookworm)"
[[ -n "$host_main" ]] && mirrors+=("${host_main%/}")
mirrors+=(http://deb.debian.org/debian)
mirror="" tried=" "
for candidate in "${mirrors[@]}"; do
    [[ "$tried" == *" $candidate "* ]] && continue
    tried+="$candidate "
    echo "   from $candidate"
    if debootstrap --variant=minbase bookworm "$root" "$candidate" >>"$keep/debootstrap.log" 2>&1; then
        mirror="$candidate"
        break
    fi
    echo "   debootstrap from $candidate failed (log: $keep/debootstrap.log)"
    # A failed debootstrap may leave its /proc and /sys mounted.
    kill_tree_processes
    unmount_all
    [[ -z "$(mounts_below)" ]] || fail "still mounted below $root after a failed debootstrap"
    rm -rf --one-file-system "$root"
done
[[ -n "$mirror" ]] || fail "debootstrap failed from every mirror: ${mirrors[*]}"
base_count="$(chroot "$root" dpkg-query -W -f='${Package}\n' | wc -l)"
stage_done

# --- 3. The package and nothing else ---------------------------------------
stage "install the package"
in_root() {
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8 \
        DEBIAN_FRONTEND=noninteractive "$@"
}
# A Debian 12 installation takes its updates and security fixes too.
security="$(host_mirror bookworm-security)"
security="${security:-http://deb.debian.org/debian-security}"
cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb ${security%/} bookworm-security main
EOF
cp -L /etc/resolv.conf "$root/etc/resolv.conf"
# Nothing an install brings along may start services.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
mount -t proc proc "$root/proc"
mount --bind /sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"

install -m 644 "$deb" "$root/tmp/$deb_name"
in_root dpkg-query -W -f='${Package}\n' | sort >"$work/before"
logged apt.log in_root apt-get update
logged apt.log in_root sh -c "cd /tmp && apt-get install -y --no-install-recommends ./$deb_name"
in_root dpkg-query -W -f='${Package}\n' | sort >"$work/after"
comm -13 "$work/before" "$work/after" >"$keep/installed-packages.txt"
rm "$root/tmp/$deb_name"
apt_summary="$(grep -E '^[0-9]+ upgraded, [0-9]+ newly installed' "$keep/apt.log" | tail -n1)"
apt_download="$(grep -E '^Need to get ' "$keep/apt.log" | tail -n1)"
apt_disk="$(grep -E '^After this operation' "$keep/apt.log" | tail -n1)"
apt_upgraded="$(sed -n '/^The following packages will be upgraded:/,/^[^ ]/{/^ /p}' "$keep/apt.log" | xargs)"
new_count="$(wc -l <"$keep/installed-packages.txt")"
grep -qx tidemark "$keep/installed-packages.txt" || fail "tidemark is not installed"
pass "apt installed $deb_name with its dependencies ($new_count packages)"

in_root sh -c 'ldd /usr/bin/tidemark /usr/lib/*/qt6/plugins/platforms/libqxcb.so' \
    >"$keep/ldd.txt" 2>&1 || fail "ldd: $(cat "$keep/ldd.txt")"
! grep 'not found' "$keep/ldd.txt" || fail "libraries not found (ldd.txt)"
pass "every library of /usr/bin/tidemark and of Qt's X11 platform resolves"
stage_done

# --- 4. The installed program, driven like a user ---------------------------
stage "run the program"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$keep/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 300); do [[ -s "$work/display" ]] && break; sleep 0.1; done
[[ -s "$work/display" ]] || { cat "$keep/xvfb.log"; fail "Xvfb did not start"; }
screen=":$(head -n1 "$work/display")"
export DISPLAY="$screen"
mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"

# An ordinary user, as on a desktop: a file the package left unreadable or a
# program that needs root would show here.
in_root useradd --create-home --shell /bin/sh mariner
uid="$(in_root id -u mariner)"
gid="$(in_root id -g mariner)"
install -d -m 700 -o "$uid" -g "$gid" "$root/run/user/$uid"
picture=/tmp/tidemark-blue.png
convert -size 40x20 xc:'#0000ff' "PNG24:$root$picture"
chmod 644 "$root$picture"

chroot --userspec="$uid:$gid" "$root" /usr/bin/env -i HOME=/home/mariner USER=mariner \
    LOGNAME=mariner PATH=/usr/bin:/bin LANG=C.UTF-8 XDG_RUNTIME_DIR="/run/user/$uid" \
    DISPLAY="$DISPLAY" /usr/bin/tidemark >"$keep/program.log" 2>&1 &
app=$!

window=""
for _ in $(seq 300); do
    window="$(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -n1 || true)"
    [[ -n "$window" ]] && break
    kill -0 "$app" 2>/dev/null || { cat "$keep/program.log"; fail "the program ended at start"; }
    sleep 0.1
done
[[ -n "$window" ]] || { cat "$keep/program.log"; fail "no window named Form1 appeared"; }
pass "a window named Form1 appeared"

read -r width height < <(xwininfo -id "$window" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')
[[ "$width" == 640 && "$height" == 480 ]] || fail "client area ${width}x${height}, not 640x480"
pass "its client area is 640x480"

# Colours at window coordinates, as rrggbb, from one fresh screenshot.
colours() {
    local shot="$work/shot.png" x y
    import -window "$window" "$shot" || return 1
    while (($#)); do
        x="$1" y="$2"
        shift 2
        convert "$shot" -crop "1x1+$x+$y" -depth 8 -colorspace sRGB txt:- |
            awk 'NR==2 { printf "%s ", tolower(substr($3, 2, 6)) }'
    done
}
# Looks a hundred times, some forty seconds, until every point passes TEST
# (is COLOUR or isnt COLOUR): await TEST COLOUR WHAT X Y [X Y...]
await() {
    local test="$1" colour="$2" what="$3" seen c ok
    shift 3
    for _ in $(seq 100); do
        seen="$(colours "$@" || true)"
        ok=1
        [[ -n "$seen" ]] || ok=0
        for c in $seen; do
            if [[ "$test" == is ]]; then [[ "$c" == "$colour" ]] || ok=0
            else [[ "$c" != "$colour" ]] || ok=0; fi
        done
        ((ok)) && return 0
        sleep 0.2
    done
    fail "$what: saw ${seen:-nothing} at $*"
}

# The built-in chart fills the middle band of the chart area; until it is
# decoded there is only the window's grey.
await isnt f0f0f0 "the chart is not shown" 320 200 480 330 60 300
pass "the built-in chart is shown (not the background grey at (320, 200), (480, 330), (60, 300))"
await is f42e2e "no red marker at its start" 140 251
pass "the red marker is at its start (f42e2e at (140, 251))"
import -window "$window" "$keep/1-chart.png"

# The open button brings Qt's own file dialog, as a second window.
xdotool mousemove --window "$window" 50 28 click 1
dialog=""
for _ in $(seq 100); do
    dialog="$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -vx "$window" | head -n1 || true)"
    [[ -n "$dialog" ]] && break
    sleep 0.2
done
[[ -n "$dialog" ]] || fail "the open button brought no dialog"
dialog_name="$(xdotool getwindowname "$dialog" 2>/dev/null || true)"
pass "the open button at (50, 28) brought a file dialog (\"$dialog_name\")"
sleep 0.5  # the dialog lists its folder before it takes typing
import -window root "$keep/2-dialog.png"

# With no window manager nobody hands out focus: give it to the dialog,
# whose file-name field has the focus inside it.
xdotool windowfocus "$dialog"
xdotool type --delay 30 "$picture"
sleep 0.5
import -window root "$keep/3-path-typed.png"
dialog_open() { xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -qx "$dialog"; }
await_dialog_gone() {
    for _ in $(seq "$1"); do dialog_open || return 0; sleep 0.1; done
    return 1
}
xdotool key Return
accepted="Enter accepted it"
if ! await_dialog_gone 50; then
    # The field's completion list, when it is open, may take the first Enter.
    import -window root "$keep/4-after-first-enter.png"
    xdotool key Return
    accepted="the first Enter only closed the completion list, a second accepted it"
    await_dialog_gone 100 || fail "the dialog did not accept $picture"
fi
pass "typed $picture into the dialog's file-name field: $accepted"

await is 0000ff "the chart area does not show the blue picture" 320 150 600 400 40 300
pass "the chart area shows the blue picture (0000ff at (320, 150), (600, 400), (40, 300))"
await is f42e2e "no red marker over the new chart" 140 251
pass "the red marker still sits at (140, 251) over it"
import -window "$window" "$keep/5-blue.png"

python3 tests/e2e/xclose.py "$window"
for _ in $(seq 200); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the program did not end after WM_DELETE_WINDOW"
status=0
wait "$app" || status=$?
app=""
[[ "$status" == 0 ]] || { cat "$keep/program.log"; fail "the program exited with $status"; }
pass "closing the window (WM_DELETE_WINDOW) ended the program with exit code 0"
stage_done

# --- 5. Clean up -------------------------------------------------------------
stage "clean up"
tree="$root"
cleanup
[[ -z "$(mounts_below)" && ! -e "$tree" ]] || fail "$tree is still there"
pass "nothing left mounted below $tree, and it is gone"
stage_done

# --- 6. Report ---------------------------------------------------------------
{
    echo "The package on a clean Debian 12: passed"
    echo
    echo "Package: $deb_name"
    sed 's/^/  /' "$keep/control-fields.txt"
    echo "Debian 12 minbase from $mirror: $base_count packages"
    echo "apt installed into it: $new_count new packages, tidemark included ($apt_summary)"
    [[ -n "$apt_upgraded" ]] && echo "  upgraded from bookworm-updates/-security: $apt_upgraded"
    echo "  $apt_download"
    echo "  $apt_disk"
    echo "  list: $keep/installed-packages.txt"
    echo
    echo "Time taken:"
    total=0
    for i in "${!stage_names[@]}"; do
        printf '  %-22s %7s s\n' "${stage_names[$i]}" "${stage_times[$i]}"
        total="$(awk -v a="$total" -v b="${stage_times[$i]}" 'BEGIN { print a + b }')"
    done
    printf '  %-22s %7s s\n' "all" "$total"
    echo
    echo "Checks passed:"
    for check in "${passed[@]}"; do echo "  - $check"; done
    if [[ -s "$keep/program.log" ]]; then
        echo
        echo "The program's output:"
        head -n 10 "$keep/program.log" | sed 's/^/  /'
    fi
    echo
    echo "Screenshots and logs: $keep"
    for shot in "$keep"/*.png; do echo "  $(basename "$shot")"; done
} | tee "$keep/report.txt"

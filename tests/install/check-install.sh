#!/usr/bin/env bash
# Installs the build as a package would (prefix /usr, into a scratch root) and
# checks that exactly the program, its launcher, its icons and its
# software-centre entry land where desktop environments look for them, and
# that the launcher and the metadata pass their validators.
#   check-install.sh BUILD_DIR VERSION APP_ID
set -euo pipefail
build="$1"
version="$2"
app_id="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
root="$work/root"

fail() { echo "FAIL: $*"; exit 1; }

DESTDIR="$root" "${CMAKE:-cmake}" --install "$build" --prefix /usr >"$work/install.log" ||
    { cat "$work/install.log"; fail "cmake --install"; }

share="$root/usr/share"
desktop="$share/applications/tidemark.desktop"
metainfo="$share/metainfo/$app_id.metainfo.xml"
icons="$share/icons/hicolor"
sizes=(16 24 32 48 256)

# Nothing else is installed: no libraries, build tools or tests.
expected=(usr/bin/tidemark
          usr/share/applications/tidemark.desktop
          "usr/share/metainfo/$app_id.metainfo.xml"
          usr/share/icons/hicolor/scalable/apps/tidemark.svg)
for size in "${sizes[@]}"; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/tidemark.png")
done
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$root" && find . -type f -printf '%P\n' | sort) ||
    fail "installed files differ from the expected ones (< expected, > installed)"

[[ -x "$root/usr/bin/tidemark" ]] || fail "usr/bin/tidemark is not executable"
head -c 4 "$root/usr/bin/tidemark" | grep -q $'^\x7fELF' || fail "usr/bin/tidemark is no ELF program"

# The launcher starts the installed program and names icons that exist.
key() { sed -n "s/^$1=//p" "$desktop"; }
[[ "$(key Exec)" == tidemark ]] || fail "launcher runs '$(key Exec)'"
[[ "$(key Icon)" == tidemark ]] || fail "launcher shows icon '$(key Icon)'"
if command -v identify >/dev/null; then
    for size in "${sizes[@]}"; do
        got="$(identify -format '%wx%h' "$icons/${size}x${size}/apps/tidemark.png")"
        [[ "$got" == "${size}x${size}" ]] || fail "the ${size}x${size} icon is $got"
    done
else
    echo "identify (imagemagick) missing: icon sizes not checked"
fi

# The software-centre entry points at the launcher and names this release.
grep -q "<id>$app_id</id>" "$metainfo" || fail "metainfo id is not $app_id"
grep -q '<launchable type="desktop-id">tidemark.desktop</launchable>' "$metainfo" ||
    fail "metainfo does not launch tidemark.desktop"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo has no release $version"
grep -Eq '<image>https://[^<]+/docs/screenshot\.png</image>' "$metainfo" ||
    fail "metainfo screenshot is not the repository's docs/screenshot.png"

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
else
    echo "SKIPPED: desktop-file-validate missing (Debian package desktop-file-utils)"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
    # The tree as a whole: the entry's launcher is there too.
    appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"
else
    echo "SKIPPED: appstreamcli missing (Debian package appstream)"
fi
echo "ok"

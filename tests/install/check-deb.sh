#!/usr/bin/env bash
# Makes the Debian package from the build and checks its control fields and
# contents: a clean Debian 12 must get every library and plugin package the
# program needs from them.
#   check-deb.sh BUILD_DIR VERSION
set -euo pipefail
build="$1"
version="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*"; exit 1; }

for tool in dpkg-deb dpkg-shlibdeps file; do
    command -v "$tool" >/dev/null || {
        echo "SKIPPED: $tool missing (Debian packages dpkg-dev and file), no package made"
        exit 0
    }
done

"${CPACK:-cpack}" --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
debs=("$work"/tidemark_*.deb)
[[ ${#debs[@]} == 1 && -f "${debs[0]}" ]] || fail "cpack made: ${debs[*]}"
deb="${debs[0]}"
[[ "$(basename "$deb")" == "tidemark_${version}_$(dpkg --print-architecture).deb" ]] ||
    fail "package file $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Package)" == tidemark ]] || fail "Package: $(field Package)"
[[ "$(field Version)" == "$version" ]] || fail "Version: $(field Version)"
[[ "$(field Maintainer)" == *"<"*"@"*">" ]] || fail "Maintainer: $(field Maintainer)"

# Package names of a comma-separated relation field, versions and
# alternatives' bars dropped.
names() { tr ',|' '\n' <<<"$1" | sed -e 's/(.*)//' -e 's/[[:space:]]//g' | sed '/^$/d'; }
depends="$(names "$(field Depends)")"
wanted="$depends"$'\n'"$(names "$(field Recommends)")"
# dpkg-shlibdeps reads the libraries from the executable...
for package in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc++6; do
    grep -qx "$package" <<<"$depends" || fail "Depends lacks $package: $(field Depends)"
done
# ...but not what Qt loads at run time.
grep -qx fonts-dejavu-core <<<"$depends" || fail "Depends lacks fonts-dejavu-core"
for package in qt6-qpa-plugins qt6-image-formats-plugins libqt6svg6; do
    grep -qx "$package" <<<"$wanted" || fail "neither Depends nor Recommends names $package"
done

# The same files as the install tree, all under /usr, and the program stripped.
dpkg-deb -c "$deb" | awk '{ print $NF }' >"$work/contents"
grep -v '^\./usr/' "$work/contents" | grep -vx '\./' && fail "files outside /usr"
for path in ./usr/bin/tidemark ./usr/share/applications/tidemark.desktop \
            ./usr/share/icons/hicolor/256x256/apps/tidemark.png \
            ./usr/share/icons/hicolor/scalable/apps/tidemark.svg; do
    grep -qx "$path" "$work/contents" || fail "the package lacks $path"
done
grep -q '^\./usr/share/metainfo/.*\.metainfo\.xml$' "$work/contents" || fail "the package lacks its metainfo"
dpkg-deb -x "$deb" "$work/root"
file "$work/root/usr/bin/tidemark" | grep -q ', stripped' || fail "usr/bin/tidemark is not stripped"
echo "ok"

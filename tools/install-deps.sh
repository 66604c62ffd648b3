#!/usr/bin/env bash
# Installs the Debian packages Tidemark needs, where they are missing.
#   tools/install-deps.sh                     what building and running need
#   tools/install-deps.sh --test              and what the test suite needs besides
#   tools/install-deps.sh --packages NAME...  just these (the other scripts' own needs)
set -euo pipefail

if [[ "${1:-}" == "--packages" ]]; then
    shift
    packages=("$@")
else
    packages=(
        build-essential cmake pkg-config
        qt6-base-dev qt6-base-dev-tools libgl-dev zlib1g-dev
        libdeflate-dev             # inflating the built-in chart's segments
        libisal-dev                # inflating large PNG files, faster than zlib
        libpng-dev libjpeg62-turbo-dev libtiff-dev  # large pictures, decoded row by row
        qt6-qpa-plugins            # the xcb, offscreen and VNC platforms
        qt6-image-formats-plugins  # TIFF, WebP, TGA and more besides Qt's own
        libqt6svg6                 # SVG pictures
        fonts-dejavu-core          # text, Cyrillic included
        # Without a display: a VNC server that can keep to loopback and ask for a
        # password, its password tool, and a window manager for the frame.
        tigervnc-standalone-server tigervnc-tools openbox x11-utils
    )
    if [[ "${1:-}" == "--test" ]]; then
        packages+=(xvfb xdotool x11-utils imagemagick python3
                   desktop-file-utils appstream  # validators of the launcher and the metadata
                   libxml2-utils                 # xmllint, for the Windows manifest
                   file                          # making the .deb: cpack asks it what is a program
                   clang libclang-rt-14-dev)     # the sanitizer build and the fuzzers
    fi
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
((${#missing[@]} == 0)) && exit 0

sudo=""
[[ $EUID -ne 0 ]] && sudo=sudo
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

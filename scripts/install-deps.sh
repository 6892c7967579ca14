#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running Tarnwick need. Packages already installed
# are left alone; run as root or with sudo.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libgl-dev
    libsimpleini-dev libicu-dev
    libcli11-dev nlohmann-json3-dev
    libbenchmark-dev
    xvfb xauth
    unrtf
    poppler-utils
)
if [[ "${TARNWICK_WITH_EXTRAS:-0}" == 1 ]]; then
    # Tools for the checks beyond the unit tests: fuzzing, screenshots, driving the real window, the house style.
    packages+=(clang libclang-rt-14-dev imagemagick xdotool python3 clang-format shellcheck)
    # Installing and packaging (scripts/test-install.sh): menu entry and MIME checks, the Debian package's
    # dependencies, the icons' rendering. mimetype (libfile-mimeinfo-perl) is what xdg-mime asks outside a desktop.
    packages+=(desktop-file-utils xdg-utils shared-mime-info libfile-mimeinfo-perl libglib2.0-bin dpkg-dev librsvg2-bin)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
    exit 0
fi

sudo=""
if [[ $(id -u) -ne 0 ]]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

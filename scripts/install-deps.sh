#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running Albumora need.
# Quiet and quick when everything is already there.
set -euo pipefail

packages=(
    cmake g++ ninja-build pkg-config make
    qt6-base-dev qt6-webengine-dev qt6-svg-dev qt6-translations-l10n
    libcurl4-openssl-dev zlib1g-dev libpng-dev nlohmann-json3-dev libssl-dev openssl
    libgtest-dev libcpp-httplib-dev libcli11-dev
    xvfb xauth fonts-wqy-microhei xdotool python3
    clang libclang-rt-14-dev
    dpkg-dev desktop-file-utils x11-utils
)

missing=()
for pkg in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

#!/usr/bin/env bash
# Installs the Debian packages Voltrake needs to build, run and test, when any is missing.
set -euo pipefail

packages=(build-essential cmake ninja-build qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev
          libgl-dev xvfb xauth fonts-liberation clang-14 libclang-rt-14-dev
          desktop-file-utils appstream lintian dpkg-dev file
          libsqlite3-dev sqlite3)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

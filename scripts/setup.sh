#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when missing; packages
# named as arguments are installed too (for the helper scripts).
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-base-private-dev libqt6sql6-sqlite libsqlite3-dev libqt6svg6
  qt6-connectivity-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  libhidapi-dev libquazip1-qt6-dev libudev-dev
  libgl-dev libxkbcommon-dev
  fonts-noto-cjk
  unzip
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q </dev/null
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
fi

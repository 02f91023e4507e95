#!/usr/bin/env bash
# Installs what building and testing Quomira needs on Debian 12.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  libsqlite3-dev
  qt6-base-dev libgl-dev qt6-translations-l10n
  libgtest-dev
  fonts-dejavu-core
  xvfb openbox trayer xdotool xclip xdg-utils x11-utils file
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs what building and testing Korvid needs, only when it is missing.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config binutils ccache qt6-base-dev libgl-dev fonts-dejavu-core
          lld libgtest-dev libgmock-dev googletest libbenchmark-dev libqscintilla2-qt6-dev
          qt6-qpa-plugins xvfb xdotool openbox libx11-dev libxtst-dev poppler-utils desktop-file-utils
          ripgrep adwaita-icon-theme)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

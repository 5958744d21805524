#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing the editor need.
# Run as root; packages that are already installed are left alone.
set -euo pipefail
PACKAGES=(
  g++ cmake ninja-build pkgconf ccache git
  qt6-base-dev libqscintilla2-qt6-dev libhunspell-dev libssl-dev
  hunspell-en-us hunspell-de-de hunspell-hu
  fonts-liberation fonts-dejavu-core
  xvfb xauth xdotool python3-xlib x11-utils imagemagick
  python3-pyftpdlib python3-openssl python3-cryptography vsftpd openssl
  qt6-image-formats-plugins qt6-svg-dev
  gettext
  qt6-webengine-dev libtidy-dev
  libssh-dev openssh-server
  poppler-utils
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

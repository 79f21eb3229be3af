#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing, fuzzing and the
# cross-check tools need. Safe to run again; quick when all is there.
set -euo pipefail
PKGS=(
  build-essential cmake ninja-build ccache pkg-config git
  qt6-base-dev libgl-dev libjpeg62-turbo-dev libicu-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev libfuzzer-14-dev llvm-14 clang-format-14 lld
  fonts-liberation2 fontconfig
  iproute2 util-linux python3
  imagemagick giflib-tools gifsicle libgif-dev libtk8.6 cscope desktop-file-utils
  libreoffice-writer-nogui pandoc unrtf tidy
  qt6-multimedia-dev xvfb xauth xclip xdotool x11-utils wmctrl openbox
  dbus-bin dbus-daemon dbus-x11 dunst trayer
  fonts-noto-core fonts-noto-cjk fonts-noto-color-emoji
)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

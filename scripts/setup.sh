#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs everything the build, the program and the tests need on a Debian 12 or 13
# machine (package names that both releases have).
# Safe to run again; it only installs what is missing.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
pkgs=(
  cmake g++ make ninja-build pkg-config
  qt6-base-dev libgl-dev libxcb1-dev qt6-translations-l10n
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils trayer imagemagick fonts-dejavu-core
  openbox dbus-daemon at-spi2-core python3-pyatspi gir1.2-atspi-2.0
  iproute2 iputils-ping fping libcap2-bin libcap-dev procps
  sway waybar grim jq qt6-wayland python3-gi dunst mako-notifier
  dpkg-dev desktop-file-utils file lintian appstream man-db
  clang libclang-rt-dev
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Duvara need.
# Only missing packages are installed; apt-get runs through sudo when we are not root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev
  libmpv-dev libavformat-dev libavcodec-dev libavutil-dev libswresample-dev libjpeg62-turbo-dev
  fonts-liberation2
  xvfb xauth ffmpeg openbox xdotool desktop-file-utils
  dbus-daemon dbus-bin
  espeak-ng
  libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  # the icon's PNG sizes; the package (dpkg-shlibdeps); the metainfo and manual page checks
  librsvg2-bin dpkg-dev file appstream groff-base
)

# The playback benchmark compares against the mpv command and needs GNU time and bc; it
# double-clicks the player into fullscreen (xdotool) and looks for its window (x11-utils).
if [ "${1:-}" = "--bench" ]; then
  packages+=(mpv time bc xdotool x11-utils)
fi
# The package test makes a Debian 12 system of its own to install the package in.
if [ "${1:-}" = "--package" ]; then
  packages+=(debootstrap)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs the Debian packages the build, the demo and the tests need; does nothing when all are present.
set -euo pipefail
pkgs=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-connectivity-dev qt6-multimedia-dev qt6-charts-dev libqt6opengl6-dev
  qt6-qpa-plugins libgl-dev fonts-inter xvfb xauth tzdata
  # Qt's own dialogs and buttons in Russian
  qt6-translations-l10n
  # the BlueZ-level tests and `make demo-bluez` run a private message bus
  dbus-daemon
  # Qt Multimedia plays the H.264 help videos through GStreamer: demuxer, decoder, sinks
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
  dpkg-dev desktop-file-utils appstream man-db lintian
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"

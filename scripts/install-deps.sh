#!/usr/bin/env bash
# Installs the Debian packages Vantora needs to build and test. Idempotent: prints
# nothing and changes nothing when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ccache
  qt6-base-dev qt6-base-dev-tools
  libvlc-dev vlc-plugin-base
  libzip-dev zip unzip
  libgl-dev
  fonts-dejavu-core
  # sanitizer builds and fuzzing
  clang libclang-rt-14-dev
  # world time: the tz database
  tzdata
  # time servers: the loopback RFC 868 server and a private D-Bus for the tests
  xinetd dbus-daemon
  # radio: video output and the loopback stream server
  vlc-plugin-video-output icecast2 ezstream
  # online services: loopback HTTP and TLS peers, the mail client hand-off
  python3 openssl xdg-utils
  # screensaver: XScreenSaver and an X server for the real-window tests
  xscreensaver xvfb xauth x11-utils libxcb1-dev xdotool
  # benchmarks: xclock, the idle peer
  x11-apps valgrind
  # tray: an XEmbed tray host for the tests
  trayer
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

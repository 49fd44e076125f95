#!/usr/bin/env bash
# Installs the Debian packages Vantora needs. Idempotent: prints nothing and
# changes nothing when everything is already there. Run it as your user; it
# asks sudo for the packages only when something is missing.
#   scripts/install-deps.sh run    what building and running the program needs
#   scripts/install-deps.sh [test] that, plus the test servers and tools
set -euo pipefail

what="${1:-test}"
case "$what" in
run | test) ;;
*)
  echo "usage: $0 [run|test]" >&2
  exit 2
  ;;
esac

# Building and running the programs.
packages=(
  build-essential cmake pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
  libvlc-dev vlc-plugin-base vlc-plugin-video-output
  libzip-dev zip
  libgl-dev libxcb1-dev
  fonts-dejavu-core
  # world time: the tz database
  tzdata
  # help pages, feedback mail
  xdg-utils
)

if [ "$what" = test ]; then
  packages+=(
    unzip
    # sanitizer builds and fuzzing
    clang libclang-rt-14-dev
    # time servers: the loopback RFC 868 server and a private D-Bus for the tests
    xinetd dbus-daemon
    # radio: the loopback stream server
    icecast2 ezstream
    # online services: loopback HTTP and TLS peers
    python3 openssl
    # screensaver: XScreenSaver and an X server for the real-window tests
    xscreensaver xvfb xauth x11-utils xdotool
    # the real-screen tests: a window manager; screenshots by hand
    openbox imagemagick
    # tray: an XEmbed tray host for the tests
    trayer
    # benchmarks: xclock, the idle peer
    x11-apps valgrind
    # the installed files: their validators and the package builder
    desktop-file-utils appstream dpkg-dev file
  )
fi

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

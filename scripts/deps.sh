#!/usr/bin/env bash
# Installs the Debian packages the suite needs (only what is missing, so a second run is quick).
# Usage: scripts/deps.sh build|test|run
set -euo pipefail

packages=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
          qt6-webengine-dev qt6-webengine-dev-tools libmpv-dev zlib1g-dev ffmpeg
          fonts-nanum qt6-translations-l10n dbus dbus-daemon libhiredis-dev)
case "${1:-build}" in
    test) packages+=(libgtest-dev libgmock-dev googletest xvfb xauth openbox x11-utils xdotool weston xwayland desktop-file-utils appstream playerctl redis-server) ;;
    run) packages+=(xvfb xauth) ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages and not running as root; install them with: sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

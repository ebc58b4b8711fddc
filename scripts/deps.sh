#!/usr/bin/env bash
# Installs the Debian packages Tavrin builds, runs and tests with, where missing.
set -euo pipefail

packages=(
    cmake make g++ pkg-config
    qt6-base-dev qt6-webengine-dev libqt6webenginecore6-bin libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-arphic-gbsn00lp fonts-liberation
    # Qt's own words (the engine's context menu) in the desktop's language
    qt6-translations-l10n
    # the end-to-end test: a private X server, a real notification area, X input
    xvfb trayer xdotool x11-utils python3
    # and one that speaks D-Bus: a private session bus, a watcher in Python
    dbus-daemon python3-dbus python3-gi
    # and a window manager for the start without a notification area
    openbox wmctrl
    # the end-to-end test on Wayland: a headless compositor and Qt's Wayland plugin
    weston qt6-wayland
    # what a screen reader finds: a session bus, the AT-SPI bus and its reader
    dbus at-spi2-core python3-pyatspi
    # the install: checks of the desktop entry and the AppStream metainfo, the
    # Debian package's dependencies from its shared libraries, the screenshot
    desktop-file-utils appstream dpkg-dev file imagemagick
    # the house style the code is checked against
    clang-format
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

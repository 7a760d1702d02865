#!/usr/bin/env bash
# Installs everything Ilvex needs to build, run and test on Debian 12. Safe to run again: when every
# package is installed it calls no apt at all. Real package names only (no virtual ones, which
# dpkg-query never reports as installed).
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev
  libglib2.0-dev libxcb1-dev libxcb-keysyms1-dev libxcb-xinput-dev libcanberra-dev libgtest-dev libgmock-dev clang-format
  clang-tidy
  # run and offscreen tests
  fonts-noto-cjk fonts-noto-color-emoji fonts-material-design-icons-iconfont adwaita-icon-theme
  qt6-translations-l10n sound-theme-freedesktop shared-mime-info desktop-file-utils appstream
  libqt6svg6 qt6-wayland
  # the .deb (CPack needs file, dpkg-shlibdeps its Depends), its manual page and its lintian check
  file dpkg-dev scdoc lintian
  # the shortcuts portal test (a private session bus)
  dbus-daemon
  # end-to-end under X
  xvfb xauth xdotool x11-utils x11-xserver-utils imagemagick picom trayer python3
  # the desktop matrix: window managers with their panels, a window that takes no focus, and a headless
  # Wayland compositor with Xwayland
  xfwm4 xfce4-panel openbox i3-wm mutter x11-apps weston xwayland qt6-wayland
  # the keyboard on other layouts, and the screen-reader tree (AT-SPI) under a private D-Bus session
  x11-xkb-utils libxkbcommon-dev at-spi2-core dbus python3-gi gir1.2-atspi-2.0
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: everything is installed"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

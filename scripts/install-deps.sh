#!/usr/bin/env bash
# Installs the Debian packages the build and tests need; does nothing when all are present.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libxcb1-dev
  qt6-wayland # Qt's Wayland platform plugin: the program on a Wayland session without XWayland
  libsodium-dev libssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev # the tests include a short fuzz pass built with clang and libFuzzer
  clang-format # CI refuses unformatted sources
  xvfb xauth xdotool trayer x11-utils openbox
  # a StatusNotifierItem tray host on a private session bus, and a Wayland compositor
  dbus-daemon dbus-bin python3-dbus python3-gi weston
  qt6-gtk-platformtheme # the dialog keyboard tests run under the GNOME (gtk3) platform theme too
  # installing and packaging: the install check validates what lands on a desktop
  desktop-file-utils appstream man-db bash-completion shared-mime-info dpkg-dev file lintian
)

if [ "${1:-}" = "--bench" ]; then
  packages+=(7zip openssl time strace)
fi
if [ "${1:-}" = "--docs" ]; then
  packages+=(imagemagick openbox tint2 x11-xserver-utils qt6-gtk-platformtheme)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"

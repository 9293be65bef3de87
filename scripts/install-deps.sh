#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages that building, running and testing Quillan need.
# Only packages that dpkg does not report as installed are fetched; apt-get runs through
# sudo when we are not root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libqscintilla2-qt6-dev zlib1g-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libxcb1-dev libxcb-icccm4-dev libxcb-xtest0-dev libxcb-shape0-dev libxcb-damage0-dev
  xvfb xauth x11-utils xdotool wmctrl openbox imagemagick desktop-file-utils shared-mime-info
  gtk-update-icon-cache
  fonts-dejavu-core adwaita-icon-theme icoutils libglib2.0-bin
  g++-mingw-w64-x86-64-posix wine64
  librsvg2-bin lintian appstream
)

# Extra packages may be named on the command line (make fuzz asks for clang).
packages+=("$@")

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
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "error: need root or sudo to install: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

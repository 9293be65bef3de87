#!/usr/bin/env bash
# Builds the Debian package quillan_<version>_amd64.deb in the given folder: a release build
# installed to /usr, packed by CPack.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$(realpath -m "${1:-$root/build/package}")
# Debian's hardening flags: fortified functions, stack protector, read-only relocations bound
# at start-up.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLAN_BUILD_TESTS=OFF \
  -DQUILLAN_BUILD_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$dir" -j "${JOBS:-$(nproc)}"
rm -f "$dir"/quillan_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
ls "$dir"/quillan_*.deb

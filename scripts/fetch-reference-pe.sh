#!/usr/bin/env bash
# Fetches Windows executables that no one here wrote, for the icon tests and benchmarks:
# single PE files out of Debian's Wine library package and the PE32 installer stubs of NSIS,
# taken out of the packages with dpkg-deb, never installed. Nothing of theirs is committed.
# Usage: fetch-reference-pe.sh DEST. Files already fetched are kept.
set -euo pipefail
dest=${1:?usage: fetch-reference-pe.sh DEST}
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
wine_dir=usr/lib/x86_64-linux-gnu/wine/x86_64-windows
wine_files=(notepad.exe winemine.exe taskmgr.exe winecfg.exe comdlg32.dll)
stub_files=(lzma-x86-ansi zlib-x86-unicode)

complete() {
  for f in "${wine_files[@]}" "${stub_files[@]}"; do [ -s "$dest/$f" ] || return 1; done
}
complete && exit 0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# apt-get download runs as the _apt user where it can; that user must be able to write here.
chmod 777 "$work"
cd "$work"
if ! apt-get download -qq libwine nsis-common 2>/dev/null; then
  # A machine whose package lists were never fetched knows no package to download.
  if [ "$(id -u)" -eq 0 ]; then apt-get update -qq; else sudo apt-get update -qq; fi
  apt-get download -qq libwine nsis-common 2>/dev/null
fi
dpkg-deb --fsys-tarfile libwine_*.deb |
  tar -x -C "$work" "${wine_files[@]/#/./$wine_dir/}"
dpkg-deb --fsys-tarfile nsis-common_*.deb |
  tar -x -C "$work" "${stub_files[@]/#/./usr/share/nsis/Stubs/}"
for f in "${wine_files[@]}"; do cp "$work/$wine_dir/$f" "$dest/$f"; done
for f in "${stub_files[@]}"; do cp "$work/usr/share/nsis/Stubs/$f" "$dest/$f"; done
echo "Fetched reference executables into $dest"

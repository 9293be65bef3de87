#!/usr/bin/env bash
# Builds the logic libraries and the Win32 backend for 64-bit Windows with mingw-w64 and runs
# their tests under Wine: on an Xvfb of their own, with a Wine prefix made in the build folder
# and a scratch HOME, so that nothing of the user's is read or written.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# usage: windows-checks.sh [BUILD_DIR [CTEST_ARGS...]]
build_dir=$(realpath -m "${1:-$root/build/mingw}")
[ $# -gt 0 ] && shift
jobs=${JOBS:-$(nproc)}

wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
wineserver=$(command -v wineserver || true)
[ -n "$wineserver" ] || wineserver=/usr/lib/wine/wineserver
for tool in "$wine" "$wineserver"; do
  [ -x "$tool" ] || { echo "error: $tool not found (scripts/install-deps.sh installs wine64)" >&2; exit 1; }
done

build_start=$(date +%s)
if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DQUILLAN_WITHOUT_QT=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" \
    "-DCMAKE_EXE_LINKER_FLAGS=-static -static-libgcc -static-libstdc++"
fi
cmake --build "$build_dir" -j "$jobs"
build_seconds=$(( $(date +%s) - build_start ))

# An Xvfb of its own without a window manager, and a scratch HOME.
source "$root/scripts/x_session.sh"
trap '"$wineserver" -k 2>/dev/null || true; x_session_cleanup' EXIT
export WINEPREFIX="$build_dir/wineprefix" WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko: the tests need neither, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="

start=$(date +%s)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix $WINEPREFIX"
  "$wine" wineboot --init >/dev/null 2>&1
  # Without a window manager, Wine would wait for one at each top-level window it takes down.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  "$wineserver" -w
fi
cd "$build_dir"
ctest --output-on-failure -j "$jobs" "$@"
echo "Windows checks: build ${build_seconds} s, tests under Wine $(( $(date +%s) - start )) s"

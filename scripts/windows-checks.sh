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

source "$root/scripts/wine_prefix.sh"

build_start=$(date +%s)
if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DQUILLAN_WITHOUT_QT=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" \
    "-DCMAKE_EXE_LINKER_FLAGS=-static -static-libgcc -static-libstdc++"
fi
cmake --build "$build_dir" -j "$jobs"
build_seconds=$(( $(date +%s) - build_start ))

# An Xvfb of its own without a window manager, a scratch HOME and a prefix in the build folder.
source "$root/scripts/x_session.sh"
trap 'stop_wine_prefix; x_session_cleanup' EXIT
start=$(date +%s)
use_wine_prefix "$build_dir/wineprefix"
cd "$build_dir"
# A test whose program could not reach the prefix's wineserver ("wine client error: ...
# Connection reset by peer", seen once as programs started side by side) runs once more; a
# test that fails twice fails the checks.
ctest --output-on-failure -j "$jobs" --repeat until-pass:2 "$@"
echo "Windows checks: build ${build_seconds} s, tests under Wine $(( $(date +%s) - start )) s"
